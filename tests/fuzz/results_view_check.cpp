// The results page and the SaveClip text of any analysis record: every line terminated
// within its buffer, every number readable back to the value it shows, and the clipboard
// text written within exactly the room its length asks for.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "core/analysis_state.h"
#include "tests/fuzz/fuzz_checks.h"
#include "view/results_page.h"
#include "view/saveclip_text.h"
#include "view/view_metrics.h"

namespace {

// ---------------------------------------------------------------- decoding a record

constexpr double DOUBLE_MAX = std::numeric_limits<double>::max();
constexpr double DOUBLE_TINY = std::numeric_limits<double>::denorm_min();
constexpr double DOUBLE_NAN = std::numeric_limits<double>::quiet_NaN();
constexpr double DOUBLE_INF = std::numeric_limits<double>::infinity();

// Values where formatting turns: the exponent's digits, the rounding carry into a new
// decade, the width of the fixed formats, the ends of the double range.
constexpr double EDGE_DOUBLES[] = {
    0.0, -0.0, DOUBLE_NAN, -DOUBLE_NAN, DOUBLE_INF, -DOUBLE_INF, 1e308, -1e308, DOUBLE_MAX, -DOUBLE_MAX,
    DOUBLE_TINY, -DOUBLE_TINY, std::numeric_limits<double>::min(), 1e-300, 9.9995, 9.99949999, 99999.5,
    0.0005, 0.00049999, -0.0005, 1e64, -1e64, 9.9995e63, 1e100, 3.412e-5, 1.0, 0.641, 999.9995,
};

constexpr int32_t EDGE_COUNTS[] = {0, 1, 2, -1, 29999, 30000, 30001, INT32_MIN, INT32_MAX, 1000, 3000, 57};

// Values of the list whose micrometre lines change width: 1000 um and more, -100 um and
// less, the float range's ends, non-finite values, subnormals.
constexpr float EDGE_FLOATS[] = {
    0.0f, -0.0f, 8.25e-6f, 1.2345e-4f, 9.9999e-4f, 9.99995e-4f, 1e-3f, -9.9995e-5f, -1e-4f, 5e-9f,
    std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(), std::numeric_limits<float>::denorm_min(),
    std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
    -std::numeric_limits<float>::infinity(), 1.0f, 123456.789f,
};

template <typename T, std::size_t N>
T pick(InputBytes& in, const T (&edges)[N]) {
    const uint8_t selector = in.byte();
    if (selector < N) return edges[selector];
    if (selector < 128) return static_cast<T>(selector - N);
    return in.raw<T>();
}

// Metrics of a real window most of the time (0 to 65535), any 32-bit value now and then.
int32_t metric(InputBytes& in) {
    const uint8_t selector = in.byte();
    if (selector < 224) return in.raw<uint16_t>();
    return in.raw<int32_t>();
}

double AnalysisState::*const RESULT_FIELDS[] = {
    &AnalysisState::narrowestDiameter, &AnalysisState::widestDiameter,
    &AnalysisState::meanDiameter, &AnalysisState::sdDiameter, &AnalysisState::seDiameter,
    &AnalysisState::meanFourthDiameter, &AnalysisState::sdFourthDiameter, &AnalysisState::seFourthDiameter,
    &AnalysisState::meanCircle, &AnalysisState::sdCircle, &AnalysisState::meanMajor, &AnalysisState::sdMajor,
    &AnalysisState::meanMinor, &AnalysisState::sdMinor, &AnalysisState::meanEccentricity,
    &AnalysisState::sdEccentricity, &AnalysisState::meanRadial, &AnalysisState::sdRadial,
    &AnalysisState::meanTangential, &AnalysisState::sdTangential, &AnalysisState::meanRadialTangential,
    &AnalysisState::sdRadialTangential, &AnalysisState::meanLong, &AnalysisState::sdLong,
    &AnalysisState::meanShort, &AnalysisState::sdShort, &AnalysisState::meanLongShort, &AnalysisState::sdLongShort,
};

int32_t AnalysisState::*const COUNT_FIELDS[] = {
    &AnalysisState::filesRead, &AnalysisState::totalElements, &AnalysisState::totalCircles,
    &AnalysisState::totalEllipses, &AnalysisState::totalRects,
};

// Lines of the SaveClip text checked for most inputs; see checkResultsView.
constexpr int32_t LONG_LIST = 2048;

// The list holds the input's values over and over with this period at most.
constexpr std::size_t LIST_PERIOD_MAX = 64;

// Returns the period with which the list repeats.
std::size_t decodeRecord(InputBytes& in, AnalysisState& state, ViewMetrics& metrics) {
    const uint8_t valid = in.byte();
    state.dataValid = valid < 240 ? valid % 2 : in.raw<int32_t>();
    for (auto field : COUNT_FIELDS) state.*field = pick(in, EDGE_COUNTS);
    for (auto field : RESULT_FIELDS) state.*field = pick(in, EDGE_DOUBLES);
    metrics.clientWidth = metric(in);
    metrics.charWidth = metric(in);
    metrics.lineHeight = metric(in);
    // The list values the input gives, then the same values over again: a large total
    // exports a long list whatever the input's length.
    const std::size_t given = in.at < in.size ? (in.size - in.at) / 2 : 0;
    float values[LIST_PERIOD_MAX];
    const std::size_t distinct = std::clamp<std::size_t>(given, 1, LIST_PERIOD_MAX);
    for (std::size_t i = 0; i < distinct; ++i) values[i] = pick(in, EDGE_FLOATS);
    for (std::size_t i = 0; i < SAVECLIP_CAPACITY; ++i) state.saveClipList[i] = values[i % distinct];
    return distinct;
}

// ---------------------------------------------------------------- the page

enum class Shows { words, count, filesRead, scientific, fixed3 };

struct ExpectedLine {
    int32_t row;  // y / lineHeight
    Shows shows;
    double AnalysisState::*real;
    int32_t AnalysisState::*count;
};

using S = AnalysisState;
constexpr ExpectedLine EXPECTED_LINES[RESULTS_PAGE_LINES] = {
    {2, Shows::words, nullptr, nullptr},  {4, Shows::filesRead, nullptr, &S::filesRead},
    {6, Shows::words, nullptr, nullptr},  {8, Shows::scientific, &S::meanDiameter, nullptr},
    {9, Shows::scientific, &S::sdDiameter, nullptr}, {10, Shows::scientific, &S::seDiameter, nullptr},
    {8, Shows::scientific, &S::meanFourthDiameter, nullptr}, {9, Shows::scientific, &S::sdFourthDiameter, nullptr},
    {10, Shows::scientific, &S::seFourthDiameter, nullptr}, {12, Shows::scientific, &S::narrowestDiameter, nullptr},
    {13, Shows::scientific, &S::widestDiameter, nullptr}, {14, Shows::count, nullptr, &S::totalElements},
    {17, Shows::words, nullptr, nullptr}, {19, Shows::scientific, &S::meanCircle, nullptr},
    {20, Shows::scientific, &S::sdCircle, nullptr}, {21, Shows::count, nullptr, &S::totalCircles},
    {17, Shows::words, nullptr, nullptr}, {19, Shows::scientific, &S::meanMajor, nullptr},
    {20, Shows::scientific, &S::sdMajor, nullptr}, {21, Shows::scientific, &S::meanMinor, nullptr},
    {22, Shows::scientific, &S::sdMinor, nullptr}, {23, Shows::fixed3, &S::meanEccentricity, nullptr},
    {24, Shows::scientific, &S::sdEccentricity, nullptr}, {25, Shows::count, nullptr, &S::totalEllipses},
    {14, Shows::words, nullptr, nullptr}, {16, Shows::scientific, &S::meanRadial, nullptr},
    {17, Shows::scientific, &S::sdRadial, nullptr}, {18, Shows::scientific, &S::meanTangential, nullptr},
    {19, Shows::scientific, &S::sdTangential, nullptr}, {20, Shows::fixed3, &S::meanRadialTangential, nullptr},
    {21, Shows::scientific, &S::sdRadialTangential, nullptr}, {22, Shows::scientific, &S::meanLong, nullptr},
    {23, Shows::scientific, &S::sdLong, nullptr}, {24, Shows::scientific, &S::meanShort, nullptr},
    {25, Shows::scientific, &S::sdShort, nullptr}, {26, Shows::fixed3, &S::meanLongShort, nullptr},
    {27, Shows::scientific, &S::sdLongShort, nullptr}, {28, Shows::count, nullptr, &S::totalRects},
};

int32_t wrap32(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

// The last blank-separated word of a line: where its value stands.
std::string lastWord(const char* text) {
    const char* space = std::strrchr(text, ' ');
    return space != nullptr ? space + 1 : text;
}

// A shown non-finite value reads "nan", "inf" or "-inf".
Finding nonFiniteText(double value, const std::string& word) {
    const char* expected = std::isnan(value) ? "nan" : value > 0 ? "inf" : "-inf";
    if (word != expected) return "non-finite value shown as " + word;
    return {};
}

// "%.3e" with an exponent of at least three digits: the value to four significant digits.
Finding scientificText(double value, const std::string& word) {
    if (!std::isfinite(value)) return nonFiniteText(value, word);
    const std::size_t e = word.find('e');
    const bool shaped = word.size() >= 10 && e != std::string::npos && word.size() - e >= 5 &&
                        word[e - 4] == '.' && (word[e + 1] == '+' || word[e + 1] == '-');
    if (!shaped) return "not a %.3e number: " + word;
    double shown = std::strtod(word.c_str(), nullptr);
    // The largest doubles round up to 1.798e+308, beyond the double range.
    if (std::isinf(shown) && std::fabs(value) > 1.7975e308) shown = std::copysign(DOUBLE_MAX, shown);
    // Rounding to four significant digits moves a value by at most half a unit of the
    // fourth digit, 5e-4 of the value; subnormals keep fewer bits and get a little more.
    const double allowed = std::fabs(value) * 5.0001e-4 + 1e-320;
    if (!(std::fabs(shown - value) <= allowed)) return "scientific text " + word + " is not its value";
    return {};
}

// "%5.3f": three decimals, at least five characters.
Finding fixedText(double value, const char* text, const std::string& word) {
    const std::size_t width = std::strlen(std::strrchr(text, '=') + 2);
    if (width < 5) return "a %5.3f field narrower than 5";
    if (!std::isfinite(value)) return nonFiniteText(value, word);
    const std::size_t point = word.find('.');
    if (point == std::string::npos || word.size() - point != 4) return "not three decimals: " + word;
    const double shown = std::strtod(word.c_str(), nullptr);
    const double allowed = 0.00050001 + std::fabs(value) * 1e-15;
    if (!(std::fabs(shown - value) <= allowed)) return "fixed text " + word + " is not its value";
    return {};
}

Finding lineValue(const ExpectedLine& expected, const AnalysisState& state, const char* text) {
    char number[16];
    switch (expected.shows) {
        case Shows::words: return {};
        case Shows::count:
            std::snprintf(number, sizeof number, "%d", static_cast<int>(state.*expected.count));
            if (lastWord(text) != number) return "a count shown as " + lastWord(text);
            return {};
        case Shows::filesRead: {
            const int32_t files = state.*expected.count;
            std::snprintf(number, sizeof number, "%d", static_cast<int>(files));
            const std::string line = std::string(number) + (files == 1 ? " file read" : " files read");
            if (line != text) return std::string("files-read line reads ") + text;
            return {};
        }
        case Shows::scientific: return scientificText(state.*expected.real, lastWord(text));
        case Shows::fixed3: return fixedText(state.*expected.real, text, lastWord(text));
    }
    return {};
}

Finding checkPage(const AnalysisState& state, const ViewMetrics& metrics) {
    static std::unique_ptr<ResultsPage> page = std::make_unique<ResultsPage>();
    *page = layoutResultsPage(state, metrics);
    const int32_t lines = state.dataValid == 0 ? 1 : RESULTS_PAGE_LINES;
    if (page->count != lines) return "the page has " + std::to_string(page->count) + " lines";
    for (int32_t i = 0; i < page->count; ++i) {
        const PageLine& line = page->lines[i];
        const void* end = std::memchr(line.text, '\0', sizeof line.text);
        if (end == nullptr) return "line " + std::to_string(i) + " is not terminated within its buffer";
        const auto length = static_cast<const char*>(end) - line.text;
        if (length != line.length) return "line " + std::to_string(i) + " has a length other than its text's";
        for (const char* c = line.text; *c != '\0'; ++c) {
            if (*c < ' ' || *c > '~') return "line " + std::to_string(i) + " holds an unprintable character";
        }
        const ExpectedLine& expected = EXPECTED_LINES[i];
        if (line.y != wrap32(int64_t{expected.row} * metrics.lineHeight))
            return "line " + std::to_string(i) + " is not on its row";
        if (Finding f = lineValue(expected, state, line.text); !f.empty()) return "line " + std::to_string(i) + ": " + f;
    }
    if (std::strcmp(page->lines[0].text, "Razizez Quorvalen") != 0) return "the heading is missing";
    const int32_t headingX = wrap32(int64_t{metrics.clientWidth} - int64_t{wrap32(int64_t{metrics.charWidth} * 17)}) / 2;
    if (page->lines[0].x != headingX) return "the heading is not centred";
    return {};
}

// ---------------------------------------------------------------- SaveClip

constexpr std::size_t GUARD = 64;
constexpr unsigned char GUARD_BYTE = 0xA5;

bool guardIntact(const unsigned char* guard) {
    for (std::size_t i = 0; i < GUARD; ++i) {
        if (guard[i] != GUARD_BYTE) return false;
    }
    return true;
}

int32_t exportedLines(const AnalysisState& state) {
    return state.totalElements >= 0 && state.totalElements < SAVECLIP_CAPACITY ? state.totalElements : 0;
}

// Every line is "%6.2f" of the value in micrometres and CR LF. The list repeats the
// input's values with a period, so the lines of one period are read as numbers and the
// rest of the text must repeat them.
Finding clipLines(const AnalysisState& state, const std::string& text, std::size_t period) {
    const auto lines = static_cast<std::size_t>(exportedLines(state));
    const std::size_t checked = std::min(lines, period);
    std::size_t lineEnd[LIST_PERIOD_MAX + 1] = {0};  // where line i of the first period ends
    for (std::size_t i = 0; i < checked; ++i) {
        const std::size_t at = lineEnd[i];
        const std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) return "clip line " + std::to_string(i) + " has no CR LF";
        const std::string word = text.substr(at, end - at);
        const double micrometres = static_cast<double>(state.saveClipList[i]) / 1e-6;
        if (word.size() < 6) return "clip line narrower than 6: " + word;
        const std::string trimmed = word.substr(word.find_first_not_of(' '));
        if (!std::isfinite(micrometres)) {
            if (Finding f = nonFiniteText(micrometres, trimmed); !f.empty()) return "clip " + f;
        } else {
            const double shown = std::strtod(trimmed.c_str(), nullptr);
            const bool twoDecimals = trimmed.size() >= 4 && trimmed[trimmed.size() - 3] == '.';
            if (!twoDecimals || !(std::fabs(shown - micrometres) <= 0.0050001 + std::fabs(micrometres) * 1e-15))
                return "clip line " + word + " is not its value";
        }
        lineEnd[i + 1] = end + 2;
    }
    const std::size_t block = lineEnd[checked];
    const std::size_t expected = checked == 0 ? 0 : (lines / checked) * block + lineEnd[lines % checked];
    if (text.size() != expected) return "the clip text is not one line per exported value";
    for (std::size_t at = block; at < text.size(); at += block) {
        if (text.compare(at, std::min(block, text.size() - at), text, 0, std::min(block, text.size() - at)) != 0)
            return "the clip text does not follow the list";
    }
    return {};
}

Finding checkSaveClip(const AnalysisState& state, std::size_t period, std::size_t cutAt) {
    const std::size_t length = saveClipTextLength(state);
    // The block a clipboard would get, with a guard region behind it.
    std::unique_ptr<unsigned char[]> block(new unsigned char[length + 1 + GUARD]);
    std::memset(block.get(), GUARD_BYTE, length + 1 + GUARD);
    char* text = reinterpret_cast<char*>(block.get());
    const std::size_t written = writeSaveClipText(state, text, length + 1);
    if (written != length) return "writeSaveClipText and saveClipTextLength disagree";
    if (!guardIntact(block.get() + length + 1)) return "SaveClip wrote past its block";
    if (text[length] != '\0' || std::strlen(text) != length) return "the clip text is not ended by its one NUL";
    const std::string built = buildSaveClipText(state);
    if (built != std::string(text, length)) return "buildSaveClipText differs from the block's text";
    if (Finding f = clipLines(state, built, period); !f.empty()) return f;

    // A block too small for the text gets a cut, terminated text and nothing past it.
    const std::size_t small = length > 0 ? cutAt % (length + 1) : 0;
    std::unique_ptr<char[]> cut(new char[small > 0 ? small : 1]);
    const std::size_t cutLength = writeSaveClipText(state, cut.get(), small);
    if (cutLength != length) return "a cut text reports another length";
    if (small > 0 && (std::strlen(cut.get()) != small - 1 || built.compare(0, small - 1, cut.get()) != 0))
        return "a cut text is not the text's beginning";
    return {};
}

}  // namespace

Finding checkResultsView(const uint8_t* data, std::size_t size) {
    static std::unique_ptr<AnalysisState> state = std::make_unique<AnalysisState>();
    std::memset(state.get(), 0, sizeof *state);
    ViewMetrics metrics{};
    InputBytes in{data, size};
    const std::size_t cutAt = in.raw<uint16_t>();
    const std::size_t period = decodeRecord(in, *state, metrics);
    if (Finding f = checkPage(*state, metrics); !f.empty()) return f;
    // Each line of the text is formatted five times over; a list of thousands of lines is
    // exported whole for one input in sixteen and cut to its first 2048 lines otherwise,
    // so that the fuzzer keeps its pace. The thresholds of the list lie in the count, not
    // in the lines.
    if (state->totalElements > LONG_LIST && (cutAt & 0xF) != 0) state->totalElements = LONG_LIST;
    return checkSaveClip(*state, period, cutAt);
}
