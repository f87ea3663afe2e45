// Running sums over every file since the last reset and the results drawn from them.
// Earlier files live on only in the sums, so each load costs one pass over its own
// shapes. Every value is widened to double; NaN and infinity (empty or single-element
// groups, zero sides) are stored as they come.
#include "core/statistics.h"

#include <cmath>

const char SAVECLIP_FULL_TEXT[] = "Too many cells for SaveClip";
const char SAVECLIP_FULL_CAPTION[] = "Note";

namespace {

double mean(double sum, int32_t n) { return sum / static_cast<double>(n); }

// The one-pass standard deviation, in this order: S times S, divided by n, Q minus that,
// divided by n - 1, square root. Rounding can leave the difference slightly negative
// for equal values, and the SD is then NaN.
double standardDeviation(double sum, double sumSquares, int32_t n) {
    const double spread = sumSquares - (sum * sum) / static_cast<double>(n);
    return std::sqrt(spread / static_cast<double>(n - 1));
}

void addCircles(AnalysisState& s, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const double x = s.circleDiameter[i];
        s.sumCircle += x;
        s.sumCircle2 += x * x;
    }
    s.meanCircle = mean(s.sumCircle, s.totalCircles);
    s.sdCircle = standardDeviation(s.sumCircle, s.sumCircle2, s.totalCircles);
}

void addEllipses(AnalysisState& s, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const double a = s.ellipseMajor[i];
        const double b = s.ellipseMinor[i];
        s.sumMajor += a;
        s.sumMajor2 += a * a;
        s.sumMinor += b;
        s.sumMinor2 += b * b;
        // Divided by the minor axis: 0 for a circle, sqrt(3) for axes 2 to 1, unbounded
        // as the ellipse flattens.
        const double eccentricity = std::sqrt(a * a - b * b) / b;
        s.sumEcc += eccentricity;
        s.sumEcc2 += eccentricity * eccentricity;
    }
    const int32_t n = s.totalEllipses;
    s.meanMajor = mean(s.sumMajor, n);
    s.sdMajor = standardDeviation(s.sumMajor, s.sumMajor2, n);
    s.meanMinor = mean(s.sumMinor, n);
    s.sdMinor = standardDeviation(s.sumMinor, s.sumMinor2, n);
    s.meanEccentricity = mean(s.sumEcc, n);
    s.sdEccentricity = standardDeviation(s.sumEcc, s.sumEcc2, n);
}

void addRectangle(AnalysisState& s, double r, double t) {
    s.sumRadial += r;
    s.sumRadial2 += r * r;
    s.sumTangential += t;
    s.sumTangential2 += t * t;
    // Squared ratios are quotients of the exact squares, not squares of the quotients.
    s.sumRadTang += r / t;
    s.sumRadTang2 += (r * r) / (t * t);
    const double longSide = r < t ? t : r;
    const double shortSide = r < t ? r : t;
    s.sumLong += longSide;
    s.sumLong2 += longSide * longSide;
    s.sumShort += shortSide;
    s.sumShort2 += shortSide * shortSide;
    s.sumLongShort += longSide / shortSide;
    s.sumLongShort2 += (longSide * longSide) / (shortSide * shortSide);
}

void addRectangles(AnalysisState& s, int32_t count) {
    for (int32_t i = 0; i < count; ++i) addRectangle(s, s.rectRadial[i], s.rectTangential[i]);
    const int32_t n = s.totalRects;
    s.meanRadial = mean(s.sumRadial, n);
    s.sdRadial = standardDeviation(s.sumRadial, s.sumRadial2, n);
    s.meanTangential = mean(s.sumTangential, n);
    s.sdTangential = standardDeviation(s.sumTangential, s.sumTangential2, n);
    s.meanRadialTangential = mean(s.sumRadTang, n);
    s.sdRadialTangential = standardDeviation(s.sumRadTang, s.sumRadTang2, n);
    s.meanLong = mean(s.sumLong, n);
    s.sdLong = standardDeviation(s.sumLong, s.sumLong2, n);
    s.meanShort = mean(s.sumShort, n);
    s.sdShort = standardDeviation(s.sumShort, s.sumShort2, n);
    s.meanLongShort = mean(s.sumLongShort, n);
    s.sdLongShort = standardDeviation(s.sumLongShort, s.sumLongShort2, n);
}

void addCircularizedSums(AnalysisState& s, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const double d = s.fileCircularized[i];
        s.sumD += d;
        s.sumD2 += d * d;
        s.sumD4 += ((d * d) * d) * d;
    }
}

// Strict comparisons: an equal value keeps the extreme, and NaN changes neither.
void updateExtremes(AnalysisState& s, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        const double d = s.fileCircularized[i];
        if (d < s.narrowestDiameter) s.narrowestDiameter = d;
        if (d > s.widestDiameter) s.widestDiameter = d;
    }
}

// A file is appended whole or not at all. A total of SAVECLIP_CAPACITY is refused as
// well, so the list never holds more than SAVECLIP_CAPACITY - 1 values, the same
// threshold at which the export refuses.
void appendToSaveClipList(AnalysisState& s, int32_t count, MessageOwner owner) {
    if (count < 1) return;
    if (s.totalElements >= SAVECLIP_CAPACITY) {
        showMessage(owner, SAVECLIP_FULL_TEXT, SAVECLIP_FULL_CAPTION, MessageIcon::information);
        return;
    }
    // The totals already include this file, so its values follow the earlier ones.
    const int32_t first = s.totalElements - count;
    if (first < 0) return;  // only a record whose totals were never loaded
    for (int32_t i = 0; i < count; ++i) s.saveClipList[first + i] = s.fileCircularized[i];
}

void computeCircularizedResults(AnalysisState& s) {
    const int32_t n = s.totalElements;
    const double count = n;
    s.meanDiameter = mean(s.sumD, n);
    s.sdDiameter = standardDeviation(s.sumD, s.sumD2, n);
    s.seDiameter = s.sdDiameter / std::sqrt(count);
    // The fourth-power mean, each fourth root taken as two square roots.
    s.meanFourthDiameter = std::sqrt(std::sqrt(s.sumD4)) / std::sqrt(std::sqrt(count));
    // Spread about the fourth-power mean: the expanded sum of (d - M)^2 over every value
    // since the reset, divided by (n - 1) n, which double holds exactly for any count.
    const double m = s.meanFourthDiameter;
    const double numerator = (s.sumD2 - (2.0 * m) * s.sumD) + (count * m) * m;
    s.seFourthDiameter = std::sqrt(numerator / (static_cast<double>(n - 1) * count));
    s.sdFourthDiameter = std::sqrt(count) * s.seFourthDiameter;
}

int32_t withinCapacity(int32_t count, int32_t capacity) {
    if (count < 0) return 0;
    return count > capacity ? capacity : count;
}

}  // namespace

void accumulateStatistics(AnalysisState& state, MessageOwner owner) {
    addCircles(state, withinCapacity(state.fileCircles, MAX_SHAPES_PER_KIND));
    addEllipses(state, withinCapacity(state.fileEllipses, MAX_SHAPES_PER_KIND));
    addRectangles(state, withinCapacity(state.fileRects, MAX_SHAPES_PER_KIND));
    const int32_t elements = withinCapacity(state.fileElements, MAX_SHAPES_PER_FILE);
    addCircularizedSums(state, elements);
    updateExtremes(state, elements);
    appendToSaveClipList(state, elements, owner);
    computeCircularizedResults(state);
}
