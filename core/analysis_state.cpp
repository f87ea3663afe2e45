// The analysis record, its reset and the load of one data file.
#include "core/analysis_state.h"

#include <cstring>

#include "core/circularize.h"
#include "core/data_file.h"
#include "core/statistics.h"

AnalysisState analysisState;

void resetAnalysis(AnalysisState& state) {
    state.totalElements = 0;
    state.totalCircles = 0;
    state.totalEllipses = 0;
    state.totalRects = 0;
    state.filesRead = 0;

    state.sumCircle = 0.0;
    state.sumCircle2 = 0.0;
    state.sumMajor = 0.0;
    state.sumMajor2 = 0.0;
    state.sumMinor = 0.0;
    state.sumMinor2 = 0.0;
    state.sumEcc = 0.0;
    state.sumEcc2 = 0.0;
    state.sumRadial = 0.0;
    state.sumRadial2 = 0.0;
    state.sumTangential = 0.0;
    state.sumTangential2 = 0.0;
    state.sumRadTang = 0.0;
    state.sumRadTang2 = 0.0;
    state.sumLong = 0.0;
    state.sumLong2 = 0.0;
    state.sumShort = 0.0;
    state.sumShort2 = 0.0;
    state.sumLongShort = 0.0;
    state.sumLongShort2 = 0.0;
    state.sumD = 0.0;
    state.sumD2 = 0.0;
    state.sumD4 = 0.0;

    // The first shape after a reset sets both extremes.
    state.narrowestDiameter = NARROWEST_RESET_VALUE;
    state.widestDiameter = 0.0;
}

bool setDataFilePath(AnalysisState& state, const char* path) {
    if (path == nullptr) return false;
    // A longer path is refused rather than cut: a cut path could name another file.
    const void* end = std::memchr(path, '\0', DATA_FILE_PATH_CAPACITY);
    if (end == nullptr) return false;
    const std::size_t size = static_cast<std::size_t>(static_cast<const char*>(end) - path) + 1;
    std::memcpy(state.dataFilePath, path, size);
    return true;
}

void loadDataFile(AnalysisState& state, MessageOwner owner) {
    // A failed read has shown its message and cleared dataValid; nothing is counted.
    if (!readDataFile(state, owner)) return;
    addFileToAnalysis(state, owner);
}

void addFileToAnalysis(AnalysisState& state, MessageOwner owner) {
    state.fileElements = state.fileCircles + state.fileEllipses + state.fileRects;
    state.totalCircles += state.fileCircles;
    state.totalEllipses += state.fileEllipses;
    state.totalRects += state.fileRects;
    state.totalElements += state.fileElements;
    circularizeFile(state);
    state.filesRead += 1;
    state.dataValid = 1;
    // The statistics see the current file already in the totals.
    accumulateStatistics(state, owner);
}
