// The results page: a table of rows, each a format, the value it shows, the rule that
// places it across the window and its step down the page.
#include "view/results_page.h"

#include <cstring>
#include <string_view>

#include "view/number_format.h"

namespace {

// What a line shows after its label.
enum class ValueKind { none, integer, scientific, fixed3, filesRead };

struct PageValue {
    const char* label;
    ValueKind kind;
    double AnalysisState::*real;
    int32_t AnalysisState::*count;
};

constexpr PageValue words(const char* label) { return {label, ValueKind::none, nullptr, nullptr}; }
constexpr PageValue scientific(const char* label, double AnalysisState::*real) {
    return {label, ValueKind::scientific, real, nullptr};
}
constexpr PageValue fixed3(const char* label, double AnalysisState::*real) {
    return {label, ValueKind::fixed3, real, nullptr};
}
constexpr PageValue integer(const char* label, int32_t AnalysisState::*count) {
    return {label, ValueKind::integer, nullptr, count};
}
// "%i file read" for one file, "%i files read" otherwise.
constexpr PageValue filesReadCount() {
    return {"", ValueKind::filesRead, nullptr, &AnalysisState::filesRead};
}

// Where a line starts across the window. The anchors centre the line on a point; the
// offsets place it against the line emitted just before.
enum class XRule { centre, third, twoThirds, leftColumn, half, rightColumn, indent, outdent, keep };

struct PageRow {
    PageValue value;
    XRule rule;
    int32_t yStep;  // lines of lineHeight from the line before
};

using S = AnalysisState;

constexpr PageRow PAGE_ROWS[RESULTS_PAGE_LINES] = {
    {words("Razizez Quorvalen"), XRule::centre, 0},
    {filesReadCount(), XRule::centre, 2},
    {words("Total Circularized Cells"), XRule::centre, 2},
    {scientific("Mean diameter =  ", &S::meanDiameter), XRule::third, 2},
    {scientific("SD = ", &S::sdDiameter), XRule::indent, 1},
    {scientific("SE = ", &S::seDiameter), XRule::keep, 1},
    {scientific("Mean 4th diameter =  ", &S::meanFourthDiameter), XRule::twoThirds, -2},
    {scientific("SD = ", &S::sdFourthDiameter), XRule::indent, 1},
    {scientific("SE = ", &S::seFourthDiameter), XRule::keep, 1},
    {scientific("Narrowest = ", &S::narrowestDiameter), XRule::centre, 2},
    {scientific("Widest = ", &S::widestDiameter), XRule::keep, 1},
    {integer("Number of elements : ", &S::totalElements), XRule::keep, 1},
    {words("Circular"), XRule::leftColumn, 3},
    {scientific("Mean diam = ", &S::meanCircle), XRule::leftColumn, 2},
    {scientific("SD = ", &S::sdCircle), XRule::indent, 1},
    {integer("n = ", &S::totalCircles), XRule::leftColumn, 1},
    {words("Elliptical"), XRule::half, -4},
    {scientific("Mean major = ", &S::meanMajor), XRule::half, 2},
    {scientific("SD major = ", &S::sdMajor), XRule::indent, 1},
    {scientific("Mean minor = ", &S::meanMinor), XRule::outdent, 1},
    {scientific("SD minor = ", &S::sdMinor), XRule::indent, 1},
    {fixed3("Mean eccen. = ", &S::meanEccentricity), XRule::outdent, 1},
    {scientific("SD eccen. = ", &S::sdEccentricity), XRule::indent, 1},
    {integer("n = ", &S::totalEllipses), XRule::half, 1},
    {words("Rectangular"), XRule::rightColumn, -11},
    {scientific("Mean radial = ", &S::meanRadial), XRule::rightColumn, 2},
    {scientific("SD radial = ", &S::sdRadial), XRule::indent, 1},
    {scientific("Mean tangen. = ", &S::meanTangential), XRule::outdent, 1},
    {scientific("SD tangen. = ", &S::sdTangential), XRule::indent, 1},
    {fixed3("Mean rad/tang = ", &S::meanRadialTangential), XRule::outdent, 1},
    {scientific("SD ratio = ", &S::sdRadialTangential), XRule::indent, 1},
    {scientific("Mean long = ", &S::meanLong), XRule::outdent, 1},
    {scientific("SD long = ", &S::sdLong), XRule::indent, 1},
    {scientific("Mean short = ", &S::meanShort), XRule::outdent, 1},
    {scientific("SD short = ", &S::sdShort), XRule::indent, 1},
    {fixed3("Mean long/short = ", &S::meanLongShort), XRule::outdent, 1},
    {scientific("SD ratio = ", &S::sdLongShort), XRule::indent, 1},
    {integer("n = ", &S::totalRects), XRule::rightColumn, 1},
};

constexpr std::size_t widestValueText(ValueKind kind) {
    switch (kind) {
        case ValueKind::none: return 0;
        case ValueKind::integer: return INTEGER_TEXT_MAX;
        case ValueKind::scientific: return SCIENTIFIC_TEXT_MAX;
        case ValueKind::fixed3: return FIXED3_TEXT_MAX;
        case ValueKind::filesRead: return INTEGER_TEXT_MAX + std::string_view(" files read").size();
    }
    return 0;
}

constexpr bool everyRowFitsALine() {
    for (const PageRow& row : PAGE_ROWS) {
        const std::size_t longest = std::string_view(row.value.label).size() + widestValueText(row.value.kind);
        if (longest + 1 > PAGE_LINE_CAPACITY) return false;
    }
    return true;
}
static_assert(everyRowFitsALine(), "a page line must hold any value in full");

// The page's arithmetic is the 32-bit arithmetic of the window's code: signed, wrapping,
// division truncating toward zero. Each step is done in 64 bits and wrapped back to 32
// (a modular conversion), so that absurd metrics give the wrapped positions a 32-bit
// program would draw at, without signed overflow here.
int32_t wrap32(int64_t value) { return static_cast<int32_t>(value); }
int32_t mul32(int32_t a, int32_t b) { return wrap32(int64_t{a} * int64_t{b}); }
int32_t add32(int32_t a, int32_t b) { return wrap32(int64_t{a} + int64_t{b}); }
int32_t sub32(int32_t a, int32_t b) { return wrap32(int64_t{a} - int64_t{b}); }

// A double truncated toward zero, as the x86 conversion does it: a value outside the
// 32-bit range gives the "integer indefinite" value, INT32_MIN.
int32_t truncateToInt32(double value) {
    if (value > -2147483649.0 && value < 2147483648.0) return static_cast<int32_t>(value);
    return INT32_MIN;
}

// The column anchors are computed in double: W times the factor, divided by 6.0, minus
// half the line's width; the same as (W - 5h) / 5 and (19W - 24h) / 24 in exact integers.
int32_t columnX(int32_t width, double factor, int32_t halfText) {
    return truncateToInt32(static_cast<double>(width) * factor / 6.0 - static_cast<double>(halfText));
}

int32_t lineX(XRule rule, const ViewMetrics& m, int32_t textLength, int32_t previousX) {
    const int32_t textWidth = mul32(m.charWidth, textLength);
    const int32_t halfText = textWidth / 2;
    switch (rule) {
        case XRule::centre: return sub32(m.clientWidth, textWidth) / 2;
        case XRule::third: return sub32(m.clientWidth / 3, halfText);
        case XRule::twoThirds: return sub32(mul32(2, m.clientWidth) / 3, halfText);
        case XRule::leftColumn: return columnX(m.clientWidth, 1.2, halfText);
        case XRule::half: return sub32(m.clientWidth / 2, halfText);
        case XRule::rightColumn: return columnX(m.clientWidth, 4.75, halfText);
        case XRule::indent: return add32(previousX, mul32(4, m.charWidth));
        case XRule::outdent: return sub32(previousX, mul32(4, m.charWidth));
        case XRule::keep: return previousX;
    }
    return previousX;
}

// Writes the label and then the value; returns the characters of the line.
std::size_t formatLine(const PageValue& value, const AnalysisState& state, char* out, std::size_t capacity) {
    const std::size_t labelLength = std::strlen(value.label);
    std::memcpy(out, value.label, labelLength + 1);
    char* rest = out + labelLength;
    const std::size_t restCapacity = capacity - labelLength;
    switch (value.kind) {
        case ValueKind::none: return labelLength;
        case ValueKind::integer: return labelLength + formatInteger(state.*value.count, rest, restCapacity);
        case ValueKind::scientific: return labelLength + formatScientific(state.*value.real, rest, restCapacity);
        case ValueKind::fixed3: return labelLength + formatFixed3(state.*value.real, rest, restCapacity);
        case ValueKind::filesRead: {
            const int32_t files = state.*value.count;
            const std::size_t digits = formatInteger(files, rest, restCapacity);
            const char* noun = files == 1 ? " file read" : " files read";
            std::memcpy(rest + digits, noun, std::strlen(noun) + 1);
            return labelLength + digits + std::strlen(noun);
        }
    }
    return labelLength;
}

}  // namespace

ResultsPage layoutResultsPage(const AnalysisState& state, const ViewMetrics& metrics) {
    ResultsPage page{};
    page.count = state.dataValid == 0 ? 1 : RESULTS_PAGE_LINES;
    int32_t cursorY = mul32(2, metrics.lineHeight);
    int32_t previousX = 0;
    for (int32_t i = 0; i < page.count; ++i) {
        const PageRow& row = PAGE_ROWS[i];
        PageLine& line = page.lines[i];
        line.length = static_cast<int32_t>(formatLine(row.value, state, line.text, sizeof line.text));
        cursorY = add32(cursorY, mul32(row.yStep, metrics.lineHeight));
        line.x = lineX(row.rule, metrics, line.length, previousX);
        line.y = cursorY;
        previousX = line.x;
    }
    return page;
}
