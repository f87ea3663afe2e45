// Circularized values of circles, ellipses and rectangles. All arithmetic is in double
// precision; a value is rounded to 32 bits only where it is stored: each scaled
// measurement, the ellipse axis ratio, and each circularized value.
#include "core/circularize.h"

#include <cmath>
#include <limits>

// A result beyond the float range is stored as infinity, as IEEE 754 arithmetic gives it.
static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559);

namespace {

// pi as the rectangle series writes it, and 3 pi to ten decimals (3 x PI_SERIES in double).
constexpr double PI_SERIES = 3.1415926536;
constexpr double THREE_PI = 9.4247779608;

// The odd indices k = 1, 3, ..., 63 of the rectangular-duct series.
constexpr int SERIES_TERMS = 32;

// What does not depend on the rectangle, computed once with the same library calls and
// the same operations the series would make term by term.
struct SeriesConstants {
    double kTimesPi[SERIES_TERMS];       // k x 3.1415926536
    double kFifth[SERIES_TERMS];         // pow(k, 5.0)
    double inverseKFifth[SERIES_TERMS];  // 1.0 / pow(k, 5.0): a term whose tanh is 1.0
    double piFifth;                      // pow(3.1415926536, 5.0)
};

SeriesConstants makeSeriesConstants() {
    SeriesConstants constants{};
    for (int i = 0; i < SERIES_TERMS; ++i) {
        const double k = 2 * i + 1;
        constants.kTimesPi[i] = k * PI_SERIES;
        constants.kFifth[i] = std::pow(k, 5.0);
        constants.inverseKFifth[i] = 1.0 / constants.kFifth[i];
    }
    constants.piFifth = std::pow(PI_SERIES, 5.0);
    return constants;
}

const SeriesConstants& seriesConstants() {
    static const SeriesConstants constants = makeSeriesConstants();
    return constants;
}

// x times the scale factor, rounded to 32 bits: the stored scaled measurement.
float scaled(float x, float scaleFactor) {
    return static_cast<float>(static_cast<double>(x) * static_cast<double>(scaleFactor));
}

// The fourth root as two square roots, rounded to 32 bits where it is stored.
float fourthRoot(double p) { return static_cast<float>(std::sqrt(std::sqrt(p))); }

void circularizeCircles(AnalysisState& state, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        state.circleDiameter[i] = scaled(state.circleDiameter[i], state.scaleFactor);
        state.fileCircularized[i] = state.circleDiameter[i];
    }
}

void circularizeEllipses(AnalysisState& state, int32_t first, int32_t count) {
    for (int32_t j = 0; j < count; ++j) {
        state.ellipseMajor[j] = scaled(state.ellipseMajor[j], state.scaleFactor);
        state.ellipseMinor[j] = scaled(state.ellipseMinor[j], state.scaleFactor);
        const double fourthPower = ellipseFourthPower(state.ellipseMajor[j], state.ellipseMinor[j]);
        state.fileCircularized[first + j] = fourthRoot(fourthPower);
    }
}

void circularizeRectangles(AnalysisState& state, int32_t first, int32_t count) {
    for (int32_t j = 0; j < count; ++j) {
        state.rectRadial[j] = scaled(state.rectRadial[j], state.scaleFactor);
        state.rectTangential[j] = scaled(state.rectTangential[j], state.scaleFactor);
        const double halfRadial = static_cast<double>(state.rectRadial[j]) / 2.0;
        const double halfTangential = static_cast<double>(state.rectTangential[j]) / 2.0;
        state.fileCircularized[first + j] = fourthRoot(rectangleFourthPower(halfRadial, halfTangential));
    }
}

// The arrays hold MAX_SHAPES_PER_KIND entries; the reader never stores a count outside
// 0 ... MAX_SHAPES_PER_KIND, and this keeps every index inside even if one came in.
int32_t withinCapacity(int32_t count) {
    if (count < 0) return 0;
    return count > MAX_SHAPES_PER_KIND ? MAX_SHAPES_PER_KIND : count;
}

}  // namespace

double ellipseFourthPower(float major, float minor) {
    const double a = major;
    const double b = minor;
    const double r = static_cast<float>(a / b);  // the axis ratio, rounded to 32 bits
    const double n = 2.0 * a * a * b * b * r;
    return n / (r * r + 1.0);
}

// Where tanh becomes 1.0. glibc computes tanh(x) for 1 <= x < 22 as 1 - 2 / (expm1(2x) + 2)
// (2x is exact) and returns 1 - tiny, which rounds to 1.0, from 22 on. Each rounded step
// of that formula keeps or reverses order, so the result is 1.0 exactly when expm1(2x)
// reaches the smallest double t with 1 - 2 / (t + 2) == 1.0, which is 2^55 - 4: then
// 2 / (t + 2) is at most 2^-54, half the spacing of the doubles just below 1.0, and a
// tie goes to the even 1.0. The true e^(2x) - 1 at TANH_SATURATED is 2^55 + 109, thirteen
// spacings (8) above 2^55, and grows by about 256 per double of x after it; at the double
// before, it is 2^55 - 147. glibc bounds expm1's error by one spacing, so the first double
// with tanh(x) == 1.0 is TANH_SATURATED and every larger x gives 1.0 too. It is also
// where the exact tanh first lies nearer to 1.0 than to the double below it, so a
// correctly rounded tanh agrees. bench/tanh_saturation_scan checks every double of a
// window of eight million around it and a dense sample up to 22, with and without the
// library's FMA variants of expm1.
//
// A saturated term tanh(x) / k^5 with tanh(x) = +-1.0 is exactly the quotient +-1.0 / k^5.
double rectangleSeries(double halfRadial, double halfTangential) {
    const SeriesConstants& constants = seriesConstants();
    const double twoR = 2.0 * halfRadial;
    double sum = 0.0;
    double x = 0.0;
    int i = 0;
    for (; i < SERIES_TERMS; ++i) {
        x = constants.kTimesPi[i] * halfTangential / twoR;
        if (std::fabs(x) >= TANH_SATURATED) break;
        sum = sum + std::tanh(x) / constants.kFifth[i];
    }
    // The arguments only grow in size with k, keeping their sign (k pi rises, and a
    // rounded product or quotient never reverses an order), so from the first saturated
    // term on every tanh is exactly +1.0 or -1.0. The terms are still added one by one,
    // in order, so the sum rounds as it would term by term.
    if (x > 0.0) {
        for (; i < SERIES_TERMS; ++i) sum = sum + constants.inverseKFifth[i];
    } else {
        for (; i < SERIES_TERMS; ++i) sum = sum - constants.inverseKFifth[i];
    }
    return sum;
}

double rectangleFourthPower(double halfRadial, double halfTangential) {
    // Laminar flow in a rectangular duct of half-sides R and T has a conductance
    // proportional to (4/3) T R^3 F; equal to the circle's pi D^4 / 128 it gives
    // D^4 = 512 T R^3 F / (3 pi). The radial half-side is always R, even when shorter.
    const double series = rectangleSeries(halfRadial, halfTangential);
    const double correction =
        1.0 - ((192.0 * halfRadial) / (seriesConstants().piFifth * halfTangential)) * series;
    return 512.0 * halfTangential * halfRadial * halfRadial * halfRadial / THREE_PI * correction;
}

void circularizeFile(AnalysisState& state) {
    const int32_t circles = withinCapacity(state.fileCircles);
    const int32_t ellipses = withinCapacity(state.fileEllipses);
    const int32_t rectangles = withinCapacity(state.fileRects);
    circularizeCircles(state, circles);
    circularizeEllipses(state, circles, ellipses);
    circularizeRectangles(state, circles + ellipses, rectangles);
}
