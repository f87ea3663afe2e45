// The measurement data file reader. The file holds one item per line: the set name, the
// scale factor, then for circles, ellipses and rectangles a count followed by that many
// diameters, axis pairs or side pairs. Line ends and blanks are interchangeable, so the
// line of a failure is worked out from the counts read so far, not from the line ends met.
#include "core/data_file.h"

#include <cstdio>
#include <cstring>

#include "core/data_scanner.h"
#include "core/regular_file.h"

const char FILE_FORMAT_TEXT[] =
    "Set_name\n"
    "Scale_factor\n"
    "Circular count\n"
    "Diameter\n"
    "    ---    \n"
    "Elliptical count\n"
    "Major_axis Minor_axis\n"
    "    ---        ---\n"
    "Rectangular count\n"
    "Radial_side Tangential_side\n"
    "    ---        ---\n";

namespace {

// Room for either message with the longest path dataFilePath can hold.
constexpr int MESSAGE_CAPACITY = DATA_FILE_PATH_CAPACITY + 64;

// Line of the scale factor and of the circular count in the one-item-per-line layout.
constexpr int SCALE_FACTOR_LINE = 2;
constexpr int CIRCULAR_COUNT_LINE = 3;

// A count is stored only when it is within the arrays, so the per-file counts never
// leave 0 ... MAX_SHAPES_PER_KIND, even in the remnants of a refused file.
bool readCount(DataScanner& scanner, int32_t& count) {
    const CountScan scan = scanCount(scanner, MAX_SHAPES_PER_KIND);
    if (scan.status != ScanStatus::ok) return false;
    count = scan.count;
    return true;
}

// A value that cannot be read leaves its entry as it was, as "%f" does.
bool readValue(DataScanner& scanner, float& value) {
    const ValueScan scan = scanValue(scanner);
    if (scan.status != ScanStatus::ok) return false;
    value = scan.value;
    return true;
}

void clearEntries(float* values, int32_t count) {
    for (int32_t i = 0; i < count; ++i) values[i] = 0.0f;
}

// Each section below returns 0 when it was read whole, else the layout line of the item
// that failed. firstLine is the line of the section's count.

int readCircles(DataScanner& scanner, AnalysisState& state, int firstLine) {
    if (!readCount(scanner, state.fileCircles)) return firstLine;
    clearEntries(state.circleDiameter, state.fileCircles);
    for (int32_t j = 0; j < state.fileCircles; ++j) {
        if (!readValue(scanner, state.circleDiameter[j])) return firstLine + 1 + j;
    }
    return 0;
}

int readEllipses(DataScanner& scanner, AnalysisState& state, int firstLine) {
    if (!readCount(scanner, state.fileEllipses)) return firstLine;
    clearEntries(state.ellipseMajor, state.fileEllipses);
    clearEntries(state.ellipseMinor, state.fileEllipses);
    for (int32_t j = 0; j < state.fileEllipses; ++j) {
        float& major = state.ellipseMajor[j];
        float& minor = state.ellipseMinor[j];
        if (!readValue(scanner, major) || !readValue(scanner, minor)) return firstLine + 1 + j;
        // The larger axis is always the major one; equal axes stay as they are.
        if (minor > major) {
            const float larger = minor;
            minor = major;
            major = larger;
        }
    }
    return 0;
}

int readRectangles(DataScanner& scanner, AnalysisState& state, int firstLine) {
    if (!readCount(scanner, state.fileRects)) return firstLine;
    clearEntries(state.rectRadial, state.fileRects);
    clearEntries(state.rectTangential, state.fileRects);
    // The sides keep the file's order: the radial side plays its own part in the series.
    for (int32_t j = 0; j < state.fileRects; ++j) {
        if (!readValue(scanner, state.rectRadial[j]) || !readValue(scanner, state.rectTangential[j]))
            return firstLine + 1 + j;
    }
    return 0;
}

// Reads every item in file order; returns 0 on success, else the line of the first failure.
int readItems(DataScanner& scanner, AnalysisState& state) {
    if (readFirstLine(scanner, state.setName, SET_NAME_CAPACITY) == 0) return 1;
    // The factor is stored before it is judged, on its 32-bit value: 1.00000005 rounds
    // to exactly 1.0 and passes.
    if (!readValue(scanner, state.scaleFactor) || state.scaleFactor > 1.0f) return SCALE_FACTOR_LINE;
    if (const int line = readCircles(scanner, state, CIRCULAR_COUNT_LINE)) return line;
    const int ellipticalCountLine = CIRCULAR_COUNT_LINE + 1 + state.fileCircles;
    if (const int line = readEllipses(scanner, state, ellipticalCountLine)) return line;
    const int rectangularCountLine = ellipticalCountLine + 1 + state.fileEllipses;
    return readRectangles(scanner, state, rectangularCountLine);
}

// The path as far as its terminator, never past the buffer.
int pathLength(const AnalysisState& state) {
    const void* nul = std::memchr(state.dataFilePath, '\0', DATA_FILE_PATH_CAPACITY);
    return nul ? static_cast<int>(static_cast<const char*>(nul) - state.dataFilePath)
               : DATA_FILE_PATH_CAPACITY;
}

// Opens the file named by dataFilePath for binary reading (line ends are folded by the
// scanner), or returns null. A path without its terminator is never handed to the system,
// and neither a FIFO nor a device is read as a data file.
std::FILE* openDataFile(const AnalysisState& state) {
    if (pathLength(state) >= DATA_FILE_PATH_CAPACITY) return nullptr;
    std::FILE* file = openRegularFileForReading(state.dataFilePath);
    // The scanner buffers on its own; unbuffered stdio reads straight into its buffer.
    if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);
    return file;
}

}  // namespace

void reportFileError(AnalysisState& state, FileErrorKind kind, int line, MessageOwner owner) {
    char text[MESSAGE_CAPACITY];
    const int length = pathLength(state);
    if (kind == FileErrorKind::cannotOpen) {
        std::snprintf(text, sizeof text, "Cannot find file %.*s", length, state.dataFilePath);
    } else {
        std::snprintf(text, sizeof text, "Data file %.*s, line %i", length, state.dataFilePath, line);
    }
    showMessage(owner, text, nullptr, MessageIcon::error);
    state.dataValid = 0;
}

bool readDataFile(AnalysisState& state, MessageOwner owner) {
    std::FILE* file = openDataFile(state);
    if (file == nullptr) {
        reportFileError(state, FileErrorKind::cannotOpen, 0, owner);
        return false;
    }
    // One file's scanner lives only for this read; 64 KiB of stack, no heap.
    DataScanner scanner;
    startScanner(scanner, file);
    // A file that opens but cannot be read is one that cannot be opened for reading,
    // like a missing one.
    if (scanner.readFailed) {
        reportFileError(state, FileErrorKind::cannotOpen, 0, owner);
        std::fclose(file);
        return false;
    }
    if (const int line = readItems(scanner, state)) {
        reportFileError(state, FileErrorKind::badData, line, owner);
        std::fclose(file);
        return false;
    }
    std::fclose(file);
    return true;
}
