// loadDataFile on arbitrary bytes: whatever the file holds, the record keeps its
// invariants, a refused file changes nothing it must not and says so exactly once, and
// the reader depends on nothing but the file.
#include <unistd.h>

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/analysis_state.h"
#include "core/message.h"
#include "tests/fuzz/fuzz_checks.h"

namespace {

// ---------------------------------------------------------------- messages of one load

struct Shown {
    std::string text;
    bool hasCaption;
    std::string caption;
    MessageIcon icon;
};

// Fixed room: a load may show at most one message, so a few slots show any excess.
struct MessageLog {
    int count;
    Shown shown[4];
};

MessageLog messageLog;

void recordMessage(MessageOwner, const char* text, const char* caption, MessageIcon icon) {
    if (messageLog.count < 4) {
        Shown& s = messageLog.shown[messageLog.count];
        s.text = text != nullptr ? text : "(null)";
        s.hasCaption = caption != nullptr;
        s.caption = caption != nullptr ? caption : "";
        s.icon = icon;
    }
    ++messageLog.count;
}

// ---------------------------------------------------------------- the file on disk

// One folder per process, in memory when /dev/shm exists, removed at exit.
std::string dataFolder;
std::string dataPath;

void removeDataFolder() {
    std::remove(dataPath.c_str());
    rmdir(dataFolder.c_str());
}

const std::string& scratchPath() {
    if (dataPath.empty()) {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/quorvalen-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        dataFolder = pattern;
        dataPath = dataFolder + "/measured set.dat";  // a blank, as real names have
        std::atexit(removeDataFolder);
    }
    return dataPath;
}

void writeFile(const uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(scratchPath().c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    if (std::fclose(file) != 0) std::abort();
}

void writeText(const std::string& text) {
    writeFile(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void loadScratch(AnalysisState& state) {
    if (!setDataFilePath(state, scratchPath().c_str())) std::abort();
    loadDataFile(state, nullptr);
}

// ---------------------------------------------------------------- records to start from

enum Preset { fresh, afterGood, nearCapacity, afterFailure, nonFiniteSums, beyondCapacity, PRESET_COUNT };

const char GOOD_FILE[] = "Transect A\n0.000001\n2\n31.5\n28\n1\n40 25\n1\n30 20\n";

// n circles, n ellipses and n rectangles of plausible vessel sizes.
std::string shapesFile(int circles, int ellipses, int rects) {
    std::string text = "Bulk\n0.000001\n" + std::to_string(circles) + "\n";
    for (int i = 0; i < circles; ++i) text += std::to_string(20 + i % 40) + ".5\n";
    text += std::to_string(ellipses) + "\n";
    for (int i = 0; i < ellipses; ++i) text += std::to_string(30 + i % 50) + " 21\n";
    text += std::to_string(rects) + "\n";
    for (int i = 0; i < rects; ++i) text += "31 " + std::to_string(10 + i % 30) + "\n";
    return text;
}

void loadText(AnalysisState& state, const std::string& text) {
    writeText(text);
    loadScratch(state);
}

void buildPreset(AnalysisState& state, int preset) {
    std::memset(&state, 0, sizeof state);
    resetAnalysis(state);
    state.dataValid = 0;
    switch (preset) {
        case afterGood: loadText(state, GOOD_FILE); break;
        case nearCapacity: {
            // 29998 values: one more shape fills the list's last slot, two pass it.
            const std::string full = shapesFile(1000, 1000, 1000);
            for (int i = 0; i < 9; ++i) loadText(state, full);
            loadText(state, shapesFile(1000, 1000, 998));
            break;
        }
        case afterFailure:
            loadText(state, GOOD_FILE);
            loadText(state, "Transect A\n0.000001\nx\n");
            break;
        case nonFiniteSums:
            // A zero minor axis, a zero tangential side and a value beyond the float range.
            loadText(state, "Odd\n1\n1\n1e39\n1\n2 0\n1\n3 0\n");
            break;
        case beyondCapacity: {
            const std::string full = shapesFile(1000, 1000, 1000);
            for (int i = 0; i < 10; ++i) loadText(state, full);
            break;
        }
        default: break;
    }
}

// Built once per process: loading ten files of 3000 shapes for every input would dominate.
const AnalysisState& presetState(int preset) {
    static std::unique_ptr<AnalysisState> presets[PRESET_COUNT];
    if (!presets[preset]) {
        ShowMessageFn none = [](MessageOwner, const char*, const char*, MessageIcon) {};
        setShowMessage(none);
        presets[preset] = std::make_unique<AnalysisState>();
        buildPreset(*presets[preset], preset);
    }
    return *presets[preset];
}

// ---------------------------------------------------------------- rules

template <typename T>
bool sameBits(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

// Every accumulated field, byte for byte (so NaN and -0 compare too): what a refused file
// must leave alone.
const char* changedAccumulatedField(const AnalysisState& before, const AnalysisState& after) {
    if (!sameBits(before.fileElements, after.fileElements)) return "fileElements";
    if (!sameBits(before.fileCircularized, after.fileCircularized)) return "fileCircularized";
    if (!sameBits(before.filesRead, after.filesRead)) return "filesRead";
    // totalElements ... totalRects, every running sum, both extremes and every result lie
    // between filesRead and saveClipList in the record.
    const auto* from = reinterpret_cast<const char*>(&before.totalElements);
    const auto* to = reinterpret_cast<const char*>(&before.saveClipList);
    const auto offset = from - reinterpret_cast<const char*>(&before);
    if (std::memcmp(from, reinterpret_cast<const char*>(&after) + offset, static_cast<std::size_t>(to - from)) != 0)
        return "totals, sums, extremes or results";
    if (!sameBits(before.saveClipList, after.saveClipList)) return "saveClipList";
    return nullptr;
}

namespace {

bool countInRange(int32_t count) { return count >= 0 && count <= MAX_SHAPES_PER_KIND; }

Finding recordInvariants(const AnalysisState& s) {
    if (s.dataValid != 0 && s.dataValid != 1) return "dataValid is " + std::to_string(s.dataValid);
    const int64_t sum = int64_t{s.totalCircles} + s.totalEllipses + s.totalRects;
    if (sum != s.totalElements) return "totalElements is not the sum of the per-kind totals";
    if (!countInRange(s.fileCircles) || !countInRange(s.fileEllipses) || !countInRange(s.fileRects))
        return "a per-file count left 0..1000";
    if (s.fileElements < 0 || s.fileElements > MAX_SHAPES_PER_FILE) return "fileElements left 0..3000";
    if (s.filesRead < 0 || s.totalCircles < 0 || s.totalEllipses < 0 || s.totalRects < 0)
        return "a total is negative";
    if (std::memchr(s.setName, '\0', sizeof s.setName) == nullptr && s.filesRead > 0)
        return "setName is not terminated";
    return {};
}

// "Data file <path>, line N" with N a line of the layout: 1 .. 5 + 3 * 1000.
Finding refusalMessage(const std::string& path) {
    if (messageLog.count != 1) return "a refused file showed " + std::to_string(messageLog.count) + " messages";
    const Shown& m = messageLog.shown[0];
    if (m.hasCaption || m.icon != MessageIcon::error) return "a refusal without the error icon or with a caption";
    const std::string prefix = "Data file " + path + ", line ";
    if (m.text.compare(0, prefix.size(), prefix) != 0) return "unexpected refusal text: " + m.text;
    const std::string number = m.text.substr(prefix.size());
    char* end = nullptr;
    const long line = std::strtol(number.c_str(), &end, 10);
    if (number.empty() || *end != '\0' || line < 1 || line > 5 + 3 * MAX_SHAPES_PER_KIND)
        return "refusal at an impossible line: " + m.text;
    return {};
}

Finding acceptedMessages(const AnalysisState& after) {
    const bool listFull = after.fileElements >= 1 && after.totalElements >= SAVECLIP_CAPACITY;
    if (messageLog.count != (listFull ? 1 : 0))
        return "a good file showed " + std::to_string(messageLog.count) + " messages";
    if (!listFull) return {};
    const Shown& m = messageLog.shown[0];
    if (m.text != "Too many cells for SaveClip" || m.caption != "Note" || m.icon != MessageIcon::information)
        return "unexpected note: " + m.text;
    return {};
}

// What a good file adds: its counts to the totals, its values to the list (whole or not at
// all) and to the extremes.
Finding acceptedChanges(const AnalysisState& before, const AnalysisState& after) {
    const int32_t n = after.fileElements;
    if (n != after.fileCircles + after.fileEllipses + after.fileRects) return "fileElements is not the file's sum";
    if (after.filesRead != before.filesRead + 1) return "filesRead did not grow by one";
    if (after.totalCircles != before.totalCircles + after.fileCircles ||
        after.totalEllipses != before.totalEllipses + after.fileEllipses ||
        after.totalRects != before.totalRects + after.fileRects)
        return "a total did not grow by the file's count";

    const bool appended = n >= 1 && after.totalElements < SAVECLIP_CAPACITY;
    const int32_t start = before.totalElements;
    for (int32_t i = 0; i < SAVECLIP_CAPACITY; ++i) {
        const bool fromFile = appended && i >= start && i < start + n;
        const float expected = fromFile ? after.fileCircularized[i - start] : before.saveClipList[i];
        if (!sameBits(expected, after.saveClipList[i])) return "saveClipList entry " + std::to_string(i);
    }

    double narrowest = before.narrowestDiameter;
    double widest = before.widestDiameter;
    for (int32_t i = 0; i < n; ++i) {
        const double d = after.fileCircularized[i];
        if (d < narrowest) narrowest = d;
        if (d > widest) widest = d;
    }
    if (!sameBits(narrowest, after.narrowestDiameter) || !sameBits(widest, after.widestDiameter))
        return "the extremes do not follow the file's values";

    // Scaling keeps the reader's order of each ellipse's axes, or reverses it for a
    // negative factor.
    for (int32_t i = 0; i < after.fileEllipses; ++i) {
        const float major = after.ellipseMajor[i];
        const float minor = after.ellipseMinor[i];
        const bool ordered = after.scaleFactor >= 0.0f ? !(minor > major) : !(major > minor);
        if (!ordered) return "ellipse " + std::to_string(i) + " has its axes out of order";
    }
    return {};
}

// The outcome of one load into a record that starts from `start`.
struct Outcome {
    bool accepted;
    int messages;
    std::string firstMessage;
};

Finding loadAndCheck(AnalysisState& state, const AnalysisState& start, Outcome& outcome) {
    std::memcpy(&state, &start, sizeof state);
    messageLog.count = 0;
    setShowMessage(recordMessage);
    loadScratch(state);
    setShowMessage(nullptr);

    if (Finding f = recordInvariants(state); !f.empty()) return f;
    if (std::strcmp(state.dataFilePath, scratchPath().c_str()) != 0) return "the load changed dataFilePath";
    outcome.accepted = state.dataValid == 1;
    outcome.messages = messageLog.count;
    outcome.firstMessage = messageLog.count > 0 ? messageLog.shown[0].text : "";
    if (!outcome.accepted) {
        if (const char* field = changedAccumulatedField(start, state)) return std::string("a refused file changed ") + field;
        return refusalMessage(scratchPath());
    }
    if (Finding f = acceptedMessages(state); !f.empty()) return f;
    return acceptedChanges(start, state);
}

// The reader's result depends on the file alone, not on what an earlier file left behind.
Finding sameFileResult(const AnalysisState& a, const Outcome& oa, const AnalysisState& b, const Outcome& ob) {
    if (oa.accepted != ob.accepted) return "the same file is accepted from one record and refused from another";
    if (!oa.accepted) {
        if (oa.firstMessage != ob.firstMessage) return "the same file is refused at different lines";
        return {};
    }
    if (a.fileCircles != b.fileCircles || a.fileEllipses != b.fileEllipses || a.fileRects != b.fileRects)
        return "the same file gives different counts";
    // The set name up to its terminator: the bytes behind it are an earlier file's.
    if (!sameBits(a.scaleFactor, b.scaleFactor) || std::strncmp(a.setName, b.setName, sizeof a.setName) != 0)
        return "the same file gives a different set name or scale factor";
    const auto n = static_cast<std::size_t>(a.fileElements);
    if (std::memcmp(a.fileCircularized, b.fileCircularized, n * sizeof(float)) != 0)
        return "the same file gives different circularized values";
    return {};
}

}  // namespace

Finding checkDataFileLoad(const uint8_t* data, std::size_t size) {
    int preset = fresh;
    if (size > 0 && data[0] < PRESET_COUNT) {
        preset = data[0];
        ++data;
        --size;
    }
    const AnalysisState& start = presetState(preset);
    const AnalysisState& freshStart = presetState(fresh);
    writeFile(data, size);

    static std::unique_ptr<AnalysisState> state = std::make_unique<AnalysisState>();
    static std::unique_ptr<AnalysisState> reference = std::make_unique<AnalysisState>();
    Outcome outcome{};
    if (Finding f = loadAndCheck(*state, start, outcome); !f.empty()) return f;
    if (preset == fresh) return {};
    Outcome freshOutcome{};
    if (Finding f = loadAndCheck(*reference, freshStart, freshOutcome); !f.empty()) return "from a fresh record: " + f;
    return sameFileResult(*state, outcome, *reference, freshOutcome);
}
