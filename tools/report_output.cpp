// The machine-readable outputs of quorvalen-report.
#include "tools/report_output.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

// Which fields of the record mean something depends on what has been read since the reset.
enum class FieldGroup { count, extreme, result };

struct ReportField {
    const char* name;
    FieldGroup group;
    int32_t AnalysisState::*count;
    double AnalysisState::*real;
};

using S = AnalysisState;

constexpr ReportField countField(const char* name, int32_t S::*count) { return {name, FieldGroup::count, count, nullptr}; }
constexpr ReportField extremeField(const char* name, double S::*real) { return {name, FieldGroup::extreme, nullptr, real}; }
constexpr ReportField resultField(const char* name, double S::*real) { return {name, FieldGroup::result, nullptr, real}; }

constexpr ReportField REPORT_FIELDS[] = {
    countField("filesRead", &S::filesRead),
    countField("totalElements", &S::totalElements),
    countField("totalCircles", &S::totalCircles),
    countField("totalEllipses", &S::totalEllipses),
    countField("totalRects", &S::totalRects),
    countField("dataValid", &S::dataValid),
    extremeField("narrowestDiameter", &S::narrowestDiameter),
    extremeField("widestDiameter", &S::widestDiameter),
    resultField("meanDiameter", &S::meanDiameter),
    resultField("sdDiameter", &S::sdDiameter),
    resultField("seDiameter", &S::seDiameter),
    resultField("meanFourthDiameter", &S::meanFourthDiameter),
    resultField("sdFourthDiameter", &S::sdFourthDiameter),
    resultField("seFourthDiameter", &S::seFourthDiameter),
    resultField("meanCircle", &S::meanCircle),
    resultField("sdCircle", &S::sdCircle),
    resultField("meanMajor", &S::meanMajor),
    resultField("sdMajor", &S::sdMajor),
    resultField("meanMinor", &S::meanMinor),
    resultField("sdMinor", &S::sdMinor),
    resultField("meanEccentricity", &S::meanEccentricity),
    resultField("sdEccentricity", &S::sdEccentricity),
    resultField("meanRadial", &S::meanRadial),
    resultField("sdRadial", &S::sdRadial),
    resultField("meanTangential", &S::meanTangential),
    resultField("sdTangential", &S::sdTangential),
    resultField("meanRadialTangential", &S::meanRadialTangential),
    resultField("sdRadialTangential", &S::sdRadialTangential),
    resultField("meanLong", &S::meanLong),
    resultField("sdLong", &S::sdLong),
    resultField("meanShort", &S::meanShort),
    resultField("sdShort", &S::sdShort),
    resultField("meanLongShort", &S::meanLongShort),
    resultField("sdLongShort", &S::sdLongShort),
};

// After a reset the extremes hold their sentinels (the largest float, 0) and the results
// whatever an earlier accumulation left; neither describes the data read.
bool fieldHasData(const ReportField& field, const AnalysisState& state) {
    switch (field.group) {
        case FieldGroup::count: return true;
        case FieldGroup::extreme: return state.totalElements > 0;
        case FieldGroup::result: return state.filesRead > 0;
    }
    return false;
}

// The shortest text that reads back to the same double (or integer); false when the
// value is not finite, which neither JSON nor a CSV number can hold.
bool numberText(const ReportField& field, const AnalysisState& state, std::string& text) {
    char buffer[32];
    std::to_chars_result result{};
    if (field.count != nullptr) {
        result = std::to_chars(buffer, buffer + sizeof buffer, state.*field.count);
    } else {
        const double value = state.*field.real;
        if (!std::isfinite(value)) return false;
        result = std::to_chars(buffer, buffer + sizeof buffer, value);
    }
    text.assign(buffer, result.ptr);
    return true;
}

// Length of the well-formed UTF-8 sequence that starts at text[at], or 0 when none does
// (RFC 3629: no overlong forms, no surrogates, nothing past U+10FFFF).
std::size_t utf8SequenceAt(const std::string& text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || text.size() - at < length) return 0;
    uint32_t code = lead & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0u) != 0x80u) return 0;
        code = code << 6 | (next & 0x3Fu);
    }
    constexpr uint32_t SMALLEST[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool wellFormed = code >= SMALLEST[length] && (code < 0xD800 || code > 0xDFFF) && code <= 0x10FFFF;
    return wellFormed ? length : 0;
}

// JSON text is UTF-8, but paths are bytes: UTF-8 sequences pass as they are, and any other
// byte of 128 or more (a name in Latin-1 or Windows-1252) is written as the Latin-1
// character of that byte, so that every JSON parser still reads the output.
void writeJsonString(std::FILE* out, const std::string& text) {
    std::fputc('"', out);
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        const auto byte = static_cast<unsigned char>(c);
        const std::size_t sequence = byte >= 0x80 ? utf8SequenceAt(text, at) : 0;
        if (sequence > 0) {
            std::fwrite(text.data() + at, 1, sequence, out);
            at += sequence;
            continue;
        }
        if (c == '"' || c == '\\') {
            std::fputc('\\', out);
            std::fputc(c, out);
        } else if (byte < 0x20 || byte >= 0x80) {
            std::fprintf(out, "\\u%04x", static_cast<unsigned>(byte));
        } else {
            std::fputc(c, out);
        }
        ++at;
    }
    std::fputc('"', out);
}

// RFC 4180 quoting: always quoted, inner quotes doubled, so commas and line ends in
// paths and messages are safe.
void writeCsvString(std::FILE* out, const std::string& text) {
    std::fputc('"', out);
    for (const char c : text) {
        if (c == '"') std::fputc('"', out);
        std::fputc(c, out);
    }
    std::fputc('"', out);
}

}  // namespace

void writeJsonReport(std::FILE* out, const AnalysisState& state, const std::vector<std::string>& messages) {
    std::fputs("{\n", out);
    std::string text;
    for (const ReportField& field : REPORT_FIELDS) {
        const bool known = fieldHasData(field, state) && numberText(field, state, text);
        std::fprintf(out, "  \"%s\": %s,\n", field.name, known ? text.c_str() : "null");
    }
    std::fputs("  \"messages\": [", out);
    for (std::size_t i = 0; i < messages.size(); ++i) {
        std::fputs(i == 0 ? "\n    " : ",\n    ", out);
        writeJsonString(out, messages[i]);
    }
    std::fputs(messages.empty() ? "]\n}\n" : "\n  ]\n}\n", out);
}

void writeCsvHeader(std::FILE* out) {
    std::fputs("file,message", out);
    for (const ReportField& field : REPORT_FIELDS) std::fprintf(out, ",%s", field.name);
    std::fputc('\n', out);
}

void writeCsvRow(std::FILE* out, const std::string& file, const std::string& message, const AnalysisState* state) {
    writeCsvString(out, file);
    std::fputc(',', out);
    writeCsvString(out, message);
    std::string text;
    for (const ReportField& field : REPORT_FIELDS) {
        std::fputc(',', out);
        if (state == nullptr || !fieldHasData(field, *state)) continue;
        std::fputs(numberText(field, *state, text) ? text.c_str() : "NA", out);
    }
    std::fputc('\n', out);
}
