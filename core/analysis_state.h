// The one record of the analysis: the data file being read, its measurements and
// circularized values, the totals and running sums since the last reset, the results
// drawn from them, the clipboard list and the flag that says whether results may be shown.
#pragma once

#include <cstdint>

#include "core/message.h"

// Entries in each per-file shape array.
inline constexpr int MAX_SHAPES_PER_KIND = 1000;
// Circularized values of one file: circles, then ellipses, then rectangles.
inline constexpr int MAX_SHAPES_PER_FILE = 3 * MAX_SHAPES_PER_KIND;
// Entries in saveClipList; a total of this many or more is not exported.
inline constexpr int SAVECLIP_CAPACITY = 30000;
// The longest path the platform allows, with its terminator (PATH_MAX on Linux).
inline constexpr int DATA_FILE_PATH_CAPACITY = 4096;
// The set name keeps the first 63 characters of the file's first line.
inline constexpr int SET_NAME_CAPACITY = 64;
// The largest finite 32-bit float widened to double: narrowestDiameter after a reset,
// so that the first shape read sets it.
inline constexpr double NARROWEST_RESET_VALUE = 3.4028234663852886e38;

struct AnalysisState {
    // The data file being read.
    char dataFilePath[DATA_FILE_PATH_CAPACITY];
    char setName[SET_NAME_CAPACITY];
    float scaleFactor;

    // Measurements of the current file: as read, then scaled in place after a good read.
    float circleDiameter[MAX_SHAPES_PER_KIND];
    float ellipseMajor[MAX_SHAPES_PER_KIND];  // never smaller than the minor axis
    float ellipseMinor[MAX_SHAPES_PER_KIND];
    float rectRadial[MAX_SHAPES_PER_KIND];
    float rectTangential[MAX_SHAPES_PER_KIND];  // no ordering against the radial side
    float fileCircularized[MAX_SHAPES_PER_FILE];

    // Per-file counts.
    int32_t fileCircles;
    int32_t fileEllipses;
    int32_t fileRects;
    int32_t fileElements;  // set only by a successful load

    // Totals since the last reset.
    int32_t filesRead;
    int32_t totalElements;
    int32_t totalCircles;
    int32_t totalEllipses;
    int32_t totalRects;

    // Running sums since the last reset.
    double sumD, sumD2, sumD4;
    double sumCircle, sumCircle2;
    double sumMajor, sumMajor2;
    double sumMinor, sumMinor2;
    double sumEcc, sumEcc2;
    double sumRadial, sumRadial2;
    double sumTangential, sumTangential2;
    double sumRadTang, sumRadTang2;
    double sumLong, sumLong2;
    double sumShort, sumShort2;
    double sumLongShort, sumLongShort2;

    // Extremes of the circularized values since the last reset.
    double narrowestDiameter;
    double widestDiameter;

    // Results, recomputed from the sums after every successful load.
    double meanDiameter, sdDiameter, seDiameter;
    double meanFourthDiameter, sdFourthDiameter, seFourthDiameter;
    double meanCircle, sdCircle;
    double meanMajor, sdMajor, meanMinor, sdMinor, meanEccentricity, sdEccentricity;
    double meanRadial, sdRadial, meanTangential, sdTangential;
    double meanRadialTangential, sdRadialTangential;
    double meanLong, sdLong, meanShort, sdShort, meanLongShort, sdLongShort;

    // Every circularized value since the last reset, in load order, for SaveClip.
    float saveClipList[SAVECLIP_CAPACITY];
    // 1 while the most recent load succeeded and results may be shown and exported.
    int32_t dataValid;
};

// The one analysis record of the process. Zero at start, like every static object.
extern AnalysisState analysisState;

// Starts a new accumulation: totals, sums and extremes back to their reset values.
// Leaves dataValid, the per-file fields, the results and the list alone.
void resetAnalysis(AnalysisState& state);

// Sets dataFilePath. Returns false, and leaves the path unchanged, when the path does
// not fit (DATA_FILE_PATH_CAPACITY - 1 characters at most).
bool setDataFilePath(AnalysisState& state, const char* path);

// Reads the file named by dataFilePath, circularizes it and adds it to the statistics.
// The outcome is left in dataValid; a failure has shown exactly one message.
void loadDataFile(AnalysisState& state, MessageOwner owner);

// The part of a load after a successful read: counts the file into the totals,
// circularizes it, marks the results valid and accumulates the statistics.
void addFileToAnalysis(AnalysisState& state, MessageOwner owner);
