// The settings file: deriving its path from the command line, reading and writing the
// window placement.
#include "shell/settings.h"

#include <cctype>
#include <cstring>
#include <string_view>

#include "core/regular_file.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The program's path as Windows splits it off the command line: a leading double quote
// runs to the closing quote (or the end), otherwise the path ends at the first blank.
std::string_view programPath(const char* commandLine) {
    const char* p = commandLine;
    while (isBlank(*p)) ++p;
    if (*p == '"') {
        const char* start = p + 1;
        const char* close = std::strchr(start, '"');
        return close ? std::string_view(start, static_cast<std::size_t>(close - start))
                     : std::string_view(start);
    }
    const char* end = p;
    while (*end != '\0' && !isBlank(*end)) ++end;
    return {p, static_cast<std::size_t>(end - p)};
}

// The path without the extension of its last component. Both "/" and "\" separate
// folders, so a dot in a folder name never counts; a name's leading dots are part of the
// name, not an extension.
std::string_view withoutExtension(std::string_view path) {
    std::size_t nameStart = path.find_last_of("/\\");
    nameStart = nameStart == std::string_view::npos ? 0 : nameStart + 1;
    std::string_view name = path.substr(nameStart);
    std::size_t firstOfName = name.find_first_not_of('.');
    if (firstOfName == std::string_view::npos) return path;
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot < firstOfName) return path;
    return path.substr(0, nameStart + dot);
}

constexpr std::string_view SETTINGS_EXTENSION = ".ini";

}  // namespace

bool deriveSettingsPath(const char* commandLine, char* out, std::size_t capacity) {
    if (capacity > 0) out[0] = '\0';
    std::string_view program = programPath(commandLine);
    std::size_t nameStart = program.find_last_of("/\\");
    bool namesFile = nameStart == std::string_view::npos ? !program.empty()
                                                         : nameStart + 1 < program.size();
    if (!namesFile) return false;
    std::string_view stem = withoutExtension(program);
    if (stem.size() + SETTINGS_EXTENSION.size() + 1 > capacity) return false;
    std::memcpy(out, stem.data(), stem.size());
    std::memcpy(out + stem.size(), SETTINGS_EXTENSION.data(), SETTINGS_EXTENSION.size());
    out[stem.size() + SETTINGS_EXTENSION.size()] = '\0';
    return true;
}

namespace {

enum class Scan { value, noNumber, outOfRange };

int digitValue(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// One "%li" conversion, read character by character so that a value of any length is
// consumed whole without a buffer. Magnitudes beyond 2^31 are only remembered as too large.
// "0x" without a hexadecimal digit after it is a matching failure, as C's scanf defines it.
Scan scanLong(std::FILE* file, int32_t& out) {
    int c = std::fgetc(file);
    while (c != EOF && std::isspace(static_cast<unsigned char>(c))) c = std::fgetc(file);
    bool negative = c == '-';
    if (c == '+' || c == '-') c = std::fgetc(file);
    int base = 10;
    bool anyDigit = false;
    if (c == '0') {
        anyDigit = true;
        base = 8;
        c = std::fgetc(file);
        if (c == 'x' || c == 'X') {
            base = 16;
            anyDigit = false;
            c = std::fgetc(file);
        }
    }
    constexpr int64_t LIMIT = int64_t{1} << 31;  // magnitude of INT32_MIN
    int64_t magnitude = 0;
    bool tooLarge = false;
    for (; c != EOF && digitValue(c) < base; c = std::fgetc(file)) {
        anyDigit = true;
        magnitude = magnitude * base + digitValue(c);
        if (magnitude > LIMIT) {
            tooLarge = true;
            magnitude = LIMIT + 1;  // stays bounded however many digits follow
        }
    }
    if (c != EOF) std::ungetc(c, file);
    if (!anyDigit) return Scan::noNumber;
    int64_t value = negative ? -magnitude : magnitude;
    if (tooLarge || value > INT32_MAX || value < INT32_MIN) return Scan::outOfRange;
    out = static_cast<int32_t>(value);
    return Scan::value;
}

}  // namespace

bool readPlacement(std::FILE* file, WindowPlacement& out) {
    int32_t values[4] = {};
    for (int32_t& value : values) {
        if (scanLong(file, value) != Scan::value) return false;
    }
    out = {values[0], values[1], values[2], values[3]};
    return true;
}

bool loadPlacementFile(const char* path, WindowPlacement& out) {
    std::FILE* file = openRegularFileForReading(path);
    if (file == nullptr) return false;
    bool ok = readPlacement(file, out);
    std::fclose(file);
    return ok;
}

bool savePlacementFile(const char* path, const WindowPlacement& placement) {
    std::FILE* file = openRegularFileForWriting(path);
    if (file == nullptr) return false;
    int written = std::fprintf(file, "%ld %ld %ld %ld\n", static_cast<long>(placement.x),
                               static_cast<long>(placement.y), static_cast<long>(placement.width),
                               static_cast<long>(placement.height));
    bool closed = std::fclose(file) == 0;
    return written > 0 && closed;
}
