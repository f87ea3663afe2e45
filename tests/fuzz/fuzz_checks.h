// Checks of everything the program reads from outside, run on arbitrary bytes: by the
// libFuzzer targets (built with clang and the sanitizers) and by the replay of saved
// inputs in the normal test suite. Each check feeds the bytes to one reader and then
// verifies what must hold whatever the bytes were; it returns a description of the first
// broken rule, or an empty string when every rule held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

// The description of a broken rule; empty when all held.
using Finding = std::string;

struct AnalysisState;

// The first field a load must not change that differs between the two records, compared
// byte for byte (so NaN and -0 compare too), or null when none does: fileElements,
// fileCircularized, the totals, running sums, extremes, results and saveClipList.
const char* changedAccumulatedField(const AnalysisState& before, const AnalysisState& after);

// loadDataFile on the bytes as a data file. A first byte of 0 to 5 chooses the record the
// load starts from (fresh, after a good file, just below the SaveClip capacity, after a
// failed load, with non-finite sums, beyond the capacity) and is not part of the file;
// any other first byte begins the file itself, loaded into a fresh record.
Finding checkDataFileLoad(const uint8_t* data, std::size_t size);

// The settings file reader (four "%li" values) on the bytes as a settings file.
Finding checkSettingsRead(const uint8_t* data, std::size_t size);

// The settings path derived from a command line: two bytes give the capacity of the
// output buffer, the rest (up to a NUL) is the command line.
Finding checkSettingsPath(const uint8_t* data, std::size_t size);

// The results page and the SaveClip text of an analysis record and window metrics decoded
// from the bytes: any counts, any doubles (NaN, infinities, 1e308, subnormals, -0), any
// list values, metrics from 0 to 65535.
Finding checkResultsView(const uint8_t* data, std::size_t size);

// The Open dialog's multiple-selection buffer: two bytes give nFileOffset, one the room of
// a small output buffer, the rest (up to 2600 bytes) is the buffer the dialog filled.
Finding checkOpenSelection(const uint8_t* data, std::size_t size);

// The data file scanner's counts and values against a reference read (strtof): a byte of
// white-space padding mode, one of its length, one choosing counts or values, one the
// largest count, then the text.
Finding checkDataScanner(const uint8_t* data, std::size_t size);

struct FuzzTarget {
    const char* name;  // also the folder of its seeds and saved findings
    Finding (*check)(const uint8_t* data, std::size_t size);
};

inline constexpr FuzzTarget FUZZ_TARGETS[] = {
    {"data_file", checkDataFileLoad},
    {"settings_file", checkSettingsRead},
    {"settings_path", checkSettingsPath},
    {"results_view", checkResultsView},
    {"open_selection", checkOpenSelection},
    {"data_scanner", checkDataScanner},
};

// Reads an input as a sequence of fields; past its end every byte reads as 0, so any
// input decodes to something.
struct InputBytes {
    const uint8_t* data;
    std::size_t size;
    std::size_t at = 0;

    uint8_t byte() { return at < size ? data[at++] : 0; }
    template <typename T>
    T raw() {
        unsigned char bytes[sizeof(T)] = {};
        for (std::size_t i = 0; i < sizeof bytes; ++i) bytes[i] = byte();
        T value;
        static_assert(sizeof bytes == sizeof value);
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }
};
