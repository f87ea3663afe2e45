// The settings file reader and the settings path derivation on arbitrary bytes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "shell/settings.h"
#include "tests/fuzz/fuzz_checks.h"

namespace {

// ---------------------------------------------------------------- the settings file

struct StreamCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using Stream = std::unique_ptr<std::FILE, StreamCloser>;

// The bytes as a read-only stream; fmemopen wants a buffer of at least one byte.
Stream openBytes(const uint8_t* data, std::size_t size, std::string& copy) {
    copy.assign(reinterpret_cast<const char*>(data), size);
    if (copy.empty()) return Stream(std::fopen("/dev/null", "r"));
    return Stream(fmemopen(copy.data(), copy.size(), "r"));
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// glibc's scanf takes "0x" without a hexadecimal digit after it as the value 0; the C
// standard (and our reader) make it a matching failure. Such bytes are not compared.
bool hasBareHexPrefix(const std::string& text) {
    for (std::size_t i = 1; i < text.size(); ++i) {
        const bool prefix = text[i - 1] == '0' && (text[i] == 'x' || text[i] == 'X');
        if (prefix && (i + 1 >= text.size() || !isHexDigit(text[i + 1]))) return true;
    }
    return false;
}

bool fitsLong32(long value) { return value >= INT32_MIN && value <= INT32_MAX; }

}  // namespace

Finding checkSettingsRead(const uint8_t* data, std::size_t size) {
    std::string copy;
    Stream stream = openBytes(data, size, copy);
    if (!stream) std::abort();
    const WindowPlacement untouched{-7, -7, -7, -7};
    WindowPlacement read = untouched;
    const bool ok = readPlacement(stream.get(), read);
    if (!ok && std::memcmp(&read, &untouched, sizeof read) != 0) return "a refused settings file changed the placement";

    // The C library's own "%li %li %li %li" is the reference, where it follows the standard.
    if (hasBareHexPrefix(copy)) return {};
    std::string referenceCopy;
    Stream reference = openBytes(data, size, referenceCopy);
    long values[4] = {};
    const int converted = std::fscanf(reference.get(), "%li %li %li %li", &values[0], &values[1], &values[2], &values[3]);
    bool expected = converted == 4;
    for (long v : values) expected = expected && fitsLong32(v);
    if (ok != expected) return ok ? "accepted what scanf refuses" : "refused what scanf reads as four 32-bit values";
    if (ok && (read.x != values[0] || read.y != values[1] || read.width != values[2] || read.height != values[3]))
        return "read other values than scanf";
    return {};
}

namespace {

// ---------------------------------------------------------------- the settings path

// The program's path as Windows splits it off a command line.
std::string_view programToken(std::string_view line) {
    std::size_t i = line.find_first_not_of(" \t");
    if (i == std::string_view::npos) return {};
    line.remove_prefix(i);
    if (line.front() == '"') {
        line.remove_prefix(1);
        return line.substr(0, line.find('"'));
    }
    return line.substr(0, line.find_first_of(" \t"));
}

bool isSeparator(char c) { return c == '/' || c == '\\'; }

// The stem is the program's path, or that path without the extension of its name: a
// dot, then anything but dots and separators.
bool isStemOf(std::string_view stem, std::string_view program) {
    if (stem == program) return true;
    if (program.substr(0, stem.size()) != stem || program[stem.size()] != '.') return false;
    const std::string_view extension = program.substr(stem.size() + 1);
    return extension.find_first_of("./\\") == std::string_view::npos && !stem.empty() && !isSeparator(stem.back());
}

constexpr std::size_t ROOMY = 1 << 16;

}  // namespace

Finding checkSettingsPath(const uint8_t* data, std::size_t size) {
    InputBytes input{data, size};
    const std::size_t capacity = (input.byte() | std::size_t{input.byte()} << 8) % 9000;
    const std::size_t rest = size > input.at ? size - input.at : 0;
    const std::size_t textSize = rest > 0 ? strnlen(reinterpret_cast<const char*>(data + input.at), rest) : 0;
    // Exactly the command line and its terminator, so that a read past it is caught.
    std::unique_ptr<char[]> line(new char[textSize + 1]);
    if (textSize > 0) std::memcpy(line.get(), data + input.at, textSize);
    line[textSize] = '\0';

    // Exactly capacity bytes: a write past them is caught.
    std::unique_ptr<char[]> out(new char[capacity > 0 ? capacity : 1]);
    std::memset(out.get(), 0x5A, capacity > 0 ? capacity : 1);
    const bool ok = deriveSettingsPath(line.get(), out.get(), capacity);
    if (capacity == 0) {
        if (ok) return "a path was produced into no room";
        if (out[0] != 0x5A) return "a zero-capacity buffer was written";
    } else if (!ok && out[0] != '\0') {
        return "a refused derivation left the buffer not empty";
    }

    std::unique_ptr<char[]> roomy(new char[ROOMY]);
    const bool roomyOk = textSize + 8 < ROOMY && deriveSettingsPath(line.get(), roomy.get(), ROOMY);
    const std::string_view program = programToken(std::string_view(line.get(), textSize));
    if (!roomyOk) {
        const bool namesNoFile = program.empty() || isSeparator(program.back());
        if (!namesNoFile && textSize + 8 < ROOMY) return "no settings path for a program that names a file";
        return ok ? "a path was produced in little room but not in much" : Finding{};
    }
    const std::size_t length = std::strlen(roomy.get());
    if (ok) {
        const void* end = std::memchr(out.get(), '\0', capacity);
        if (end == nullptr) return "the settings path is not terminated within its buffer";
        if (std::strcmp(out.get(), roomy.get()) != 0) return "the settings path depends on the room given";
    } else if (length + 1 <= capacity) {
        return "a settings path that fits was refused";
    }
    const std::string_view path(roomy.get(), length);
    if (length < 5 || path.substr(length - 4) != ".ini") return "the settings path does not end in .ini";
    if (!isStemOf(path.substr(0, length - 4), program))
        return "the settings path is not the program's path with its extension replaced";
    return {};
}
