// The settings file: the main window's outer rectangle, kept beside the program as
// "<program>.ini" and restored at the next start. Platform-free, so it can be tested alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// The main window's outer rectangle in screen pixels, as stored and as passed to window
// creation. Signed 32-bit, as LONG is on every Windows target.
struct WindowPlacement {
    int32_t x;       // left edge
    int32_t y;       // top edge
    int32_t width;   // outer width
    int32_t height;  // outer height
};

// Room for the settings path and its terminator: the longest path Linux accepts (PATH_MAX);
// a longer derived path is refused and no settings are read or written.
inline constexpr std::size_t SETTINGS_PATH_CAPACITY = 4096;

// Derives the settings path from the process's command line: the program's path is its
// first token, read as Windows reads it (from an opening double quote to the closing one,
// else up to the first space or tab), and the extension of its last component is replaced
// by ".ini" (appended where the name has none). Dots in folder names and anything in the
// arguments play no part. Writes the path and its terminator into out; returns false, with
// out empty, when the command line names no program or the path does not fit in capacity.
bool deriveSettingsPath(const char* commandLine, char* out, std::size_t capacity);

// Reads the four values left, top, width, height as "%li %li %li %li" reads them: white
// space skipped before each; an optional sign; hexadecimal after "0x" or "0X", octal after
// a leading "0", else decimal; whatever follows the fourth value is ignored. Returns false
// when fewer than four values could be read or one lies outside the signed 32-bit range
// of a Windows long; out is written only on success.
bool readPlacement(std::FILE* file, WindowPlacement& out);

// Opens path and reads the placement from it; false when the file cannot be opened or
// does not hold four good values.
bool loadPlacementFile(const char* path, WindowPlacement& out);

// Replaces the file at path with the one line "left top width height" in plain decimal.
// Returns false when the file cannot be opened or written.
bool savePlacementFile(const char* path, const WindowPlacement& placement);
