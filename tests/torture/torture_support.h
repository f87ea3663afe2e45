// Shared pieces of the torture suite: a temporary folder tree, big files written in
// chunks, a showMessage that records every call, and one load through the whole path.
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/analysis_state.h"
#include "core/message.h"

struct Shown {
    std::string text;
    bool hasCaption;
    MessageIcon icon;
};

// Records every message shown while it lives.
class MessageCapture {
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;
    const std::vector<Shown>& shown() const;
    void clear();
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;
    const std::filesystem::path& root() const { return root_; }
    // Writes bytes exactly as given and returns the file's full path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path root_;
};

// Writes head, then chunk repeated count times, then tail, without holding the whole
// file in memory.
void writeRepeated(const std::string& path, const std::string& head, const std::string& chunk,
                   std::size_t count, const std::string& tail);

// A record as the main window has it after start-up: all zero, reset, nothing to show.
std::unique_ptr<AnalysisState> freshState();

// The example file of the data format: two circles, one ellipse, one rectangle.
extern const char EXAMPLE_FILE[];

struct LoadOutcome {
    bool accepted;                // dataValid after the load
    std::vector<Shown> messages;  // every message the load showed
};

// Sets dataFilePath (which must fit) and loads the file into state.
LoadOutcome loadPath(AnalysisState& state, const std::string& path);

// The fields that a refused file must leave alone, compared byte for byte (NaN too).
// Returns the name of the first that changed, or an empty string.
std::string changedAccumulation(const AnalysisState& before, const AnalysisState& after);

// "Data file <path>, line <line>".
std::string badDataMessage(const std::string& path, int line);
// "Cannot find file <path>".
std::string cannotFindMessage(const std::string& path);
