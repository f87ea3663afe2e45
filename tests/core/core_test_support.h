// Shared pieces of the analysis core tests: a showMessage that records every call, a
// temporary folder for data files written by the tests, and byte-wise comparisons of the
// parts of the record that a failed load must leave alone.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/analysis_state.h"
#include "core/message.h"

struct RecordedMessage {
    MessageOwner owner;
    std::string text;
    std::optional<std::string> caption;  // nullopt: the platform's default caption
    MessageIcon icon;
    int32_t dataValidWhenShown;          // of the watched record, -1 when none is watched
};

// Installs a recording showMessage for the life of the object.
class MessageRecorder {
public:
    explicit MessageRecorder(const AnalysisState* watched = nullptr);
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const std::vector<RecordedMessage>& messages() const;
    void clear();
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes text byte for byte (no line end translation) and returns the file's path.
    std::string write(const std::string& name, const std::string& text) const;

private:
    std::filesystem::path path_;
};

// A record as at process start (all zero) after the main window's reset. On the heap:
// the record is about 150 KB.
std::unique_ptr<AnalysisState> makeFreshState();

// Loads one file through the whole load path; the path must fit.
void loadFile(AnalysisState& state, const std::string& path, MessageOwner owner = nullptr);

// The path of a file of the examples folder.
std::string examplePath(const char* name);

// The fields that a failed load leaves unchanged: every accumulated value and the
// current file's circularized values. Compared byte for byte, so NaN compares too.
void expectAccumulationUnchanged(const AnalysisState& before, const AnalysisState& after);
// The totals, running sums, extremes and results, byte for byte; not the arrays, whose
// entries past the current counts keep older values.
void expectSameTotalsSumsAndResults(const AnalysisState& expected, const AnalysisState& actual);
// Every result field, byte for byte.
void expectSameResults(const AnalysisState& expected, const AnalysisState& actual);

// The exact bits of a float or double, so that NaN, -0 and infinity compare exactly.
inline uint32_t bitsOf(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
inline uint64_t bitsOf(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// value written with 8 significant digits, as "1.4691474e+01".
std::string eightDigits(double value);
