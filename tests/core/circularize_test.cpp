// Circularized values: the worked values, the example file, the edge cases, and proof
// that the rectangle series with its shortcuts stores the same bits as the formulas
// evaluated term by term.
#include "core/circularize.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/core/core_test_support.h"

namespace {

enum class Shape { circle, ellipse, rectangle };

// One shape in a state of its own: the values as the reader stores them.
struct OneShape {
    Shape shape;
    float first;   // diameter, major axis or radial side
    float second;  // minor axis or tangential side
    float scale;
};

void storeShape(AnalysisState& state, const OneShape& s) {
    state.scaleFactor = s.scale;
    state.fileCircles = s.shape == Shape::circle ? 1 : 0;
    state.fileEllipses = s.shape == Shape::ellipse ? 1 : 0;
    state.fileRects = s.shape == Shape::rectangle ? 1 : 0;
    state.circleDiameter[0] = s.first;
    state.ellipseMajor[0] = s.first;
    state.ellipseMinor[0] = s.second;
    state.rectRadial[0] = s.first;
    state.rectTangential[0] = s.second;
}

float circularized(const OneShape& s) {
    auto state = makeFreshState();
    storeShape(*state, s);
    circularizeFile(*state);
    return state->fileCircularized[0];
}

struct WorkedValue {
    OneShape shape;  // ellipse pairs as the reader leaves them: major first
    const char* expected;
};

TEST(Circularize, WorkedValues) {
    const WorkedValue cases[] = {
        {{Shape::circle, 10, 0, 1}, "1.0000000e+01"},
        {{Shape::circle, 10, 0, 0.5f}, "5.0000000e+00"},
        {{Shape::ellipse, 20, 10, 1}, "1.3374806e+01"},
        {{Shape::ellipse, 10, 10, 1}, "1.0000000e+01"},
        {{Shape::ellipse, 3, 1, 1}, "1.5243982e+00"},
        {{Shape::ellipse, 20, 10, 0.5f}, "6.6874032e+00"},
        {{Shape::rectangle, 20, 10, 1}, "1.4691474e+01"},
        {{Shape::rectangle, 10, 20, 1}, "1.4691474e+01"},
        {{Shape::rectangle, 10, 10, 1}, "1.0939025e+01"},
        {{Shape::rectangle, 20, 10, 0.5f}, "7.3457370e+00"},
        {{Shape::rectangle, 100, 1, 1}, "4.2900724e+00"},
        {{Shape::rectangle, 1, 100, 1}, "4.2858133e+00"},
        {{Shape::rectangle, 1000, 1, 1}, "8.6118040e+00"},
        {{Shape::rectangle, 1, 1000, 1}, "7.6322269e+00"},
    };
    for (const WorkedValue& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(c.expected, eightDigits(circularized(c.shape)));
    }
    EXPECT_EQ(10.0f, circularized({Shape::ellipse, 10, 10, 1})) << "equal axes give the axis exactly";
}

TEST(Circularize, RectangleSeriesWorkedExample) {
    // Radial side 20, tangential 10: R = 10, T = 5.
    char text[64];
    std::snprintf(text, sizeof text, "%.11g", rectangleSeries(10.0, 5.0));
    EXPECT_STREQ("0.66024442934", text);
    std::snprintf(text, sizeof text, "%.11g", rectangleFourthPower(10.0, 5.0));
    EXPECT_STREQ("46586.651255", text);
    std::snprintf(text, sizeof text, "%.8g", std::tanh(3.1415926536 * 5.0 / 20.0));
    EXPECT_STREQ("0.6557942", text);
}

TEST(Circularize, ExampleFileScalesInPlaceAndFillsInShapeOrder) {
    auto state = makeFreshState();
    MessageRecorder recorder;
    loadFile(*state, examplePath("transect-a.dat"));
    ASSERT_EQ(1, state->dataValid);
    ASSERT_EQ(4, state->fileElements);
    const char* expected[] = {"3.1500000e-05", "2.8000000e-05", "3.0791085e-05", "2.6301725e-05"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(expected[i], eightDigits(state->fileCircularized[i])) << i;
    EXPECT_EQ(static_cast<float>(31.5 * static_cast<double>(0.000001f)), state->circleDiameter[0]);
    EXPECT_EQ(static_cast<float>(28.0 * static_cast<double>(0.000001f)), state->circleDiameter[1]);
    EXPECT_EQ(state->circleDiameter[0], state->fileCircularized[0]);
    EXPECT_EQ(static_cast<float>(40.0 * static_cast<double>(0.000001f)), state->ellipseMajor[0]);
    EXPECT_EQ(static_cast<float>(20.0 * static_cast<double>(0.000001f)), state->rectTangential[0]);
}

TEST(Circularize, EmptySectionsWriteNothing) {
    auto state = makeFreshState();
    for (float& value : state->fileCircularized) value = -7.0f;
    state->scaleFactor = 2.0f;
    state->fileCircles = 2;
    state->circleDiameter[0] = 1.0f;
    state->circleDiameter[1] = 3.0f;
    state->ellipseMajor[0] = 5.0f;
    state->rectRadial[0] = 5.0f;
    circularizeFile(*state);
    EXPECT_EQ(2.0f, state->fileCircularized[0]);
    EXPECT_EQ(6.0f, state->fileCircularized[1]);
    for (int i = 2; i < MAX_SHAPES_PER_FILE; ++i) ASSERT_EQ(-7.0f, state->fileCircularized[i]) << i;
    EXPECT_EQ(5.0f, state->ellipseMajor[0]) << "an empty section is not scaled";
    EXPECT_EQ(5.0f, state->rectRadial[0]);
}

TEST(Circularize, SignsAndZerosFollowIeeeArithmetic) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* name;
        OneShape shape;
        float expected;  // NaN: any NaN
    } cases[] = {
        {"negative factor makes a circle negative", {Shape::circle, 10, 0, -0.5f}, -5.0f},
        {"circle under a zero factor", {Shape::circle, 10, 0, 0.0f}, 0.0f},
        {"ellipse under a negative factor", {Shape::ellipse, 20, 10, -0.5f},
         circularized({Shape::ellipse, 20, 10, 0.5f})},
        {"rectangle under a negative factor", {Shape::rectangle, 20, 10, -0.5f},
         circularized({Shape::rectangle, 20, 10, 0.5f})},
        {"ellipse with a zero minor axis", {Shape::ellipse, 5, 0, 1}, nan},
        {"ellipse under a zero factor", {Shape::ellipse, 20, 10, 0}, nan},
        {"rectangle under a zero factor", {Shape::rectangle, 20, 10, 0}, nan},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const float value = circularized(c.shape);
        if (std::isnan(c.expected)) {
            EXPECT_TRUE(std::isnan(value)) << value;
        } else {
            EXPECT_EQ(bitsOf(c.expected), bitsOf(value)) << value;
        }
    }
}

::testing::AssertionResult sameDouble(double expected, double actual) {
    if (bitsOf(expected) == bitsOf(actual) || (std::isnan(expected) && std::isnan(actual)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected " << expected << " (bits " << bitsOf(expected)
                                         << "), got " << actual << " (bits " << bitsOf(actual) << ")";
}

// Equal bits, or both NaN: the language leaves the sign and payload of a NaN to the
// compiler's choice of operand order, so only "not a number" is a fixed result.
::testing::AssertionResult sameFloat(float expected, float actual) {
    if (bitsOf(expected) == bitsOf(actual) || (std::isnan(expected) && std::isnan(actual)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "expected " << expected << " (bits " << bitsOf(expected)
                                         << "), got " << actual << " (bits " << bitsOf(actual) << ")";
}

// The formulas evaluated term by term, as written, with nothing precomputed.
double referenceSeries(double r, double h) {
    double sum = 0;
    for (int k = 1; k < 64; k += 2) {
        const double x = (k * 3.1415926536 * h) / (2.0 * r);
        sum = sum + std::tanh(x) / std::pow(k, 5.0);
    }
    return sum;
}

double referenceFourthPower(double r, double h) {
    const double f = 1.0 - ((192.0 * r) / (std::pow(3.1415926536, 5.0) * h)) * referenceSeries(r, h);
    return 512.0 * h * r * r * r / 9.4247779608 * f;
}

float referenceRectangle(float radial, float tangential, float scale) {
    const float s = static_cast<float>(static_cast<double>(radial) * static_cast<double>(scale));
    const float t = static_cast<float>(static_cast<double>(tangential) * static_cast<double>(scale));
    const double p = referenceFourthPower(static_cast<double>(s) / 2.0, static_cast<double>(t) / 2.0);
    return static_cast<float>(std::sqrt(std::sqrt(p)));
}

float referenceEllipse(float major, float minor, float scale) {
    const double a = static_cast<float>(static_cast<double>(major) * static_cast<double>(scale));
    const double b = static_cast<float>(static_cast<double>(minor) * static_cast<double>(scale));
    const double r = static_cast<float>(a / b);
    const double n = 2.0 * a * a * b * b * r;
    const double q = n / (r * r + 1.0);
    return static_cast<float>(std::sqrt(std::sqrt(q)));
}

struct Pair {
    float first;
    float second;
    float scale;
};

// Sides whose term k argument, (k pi T) / (2R) with R and T the half-sides, lands on the
// first saturated double or a double after it; found by a search over float pairs.
struct ThresholdRectangle {
    int k;
    float radial;
    float tangential;
    int doublesAbove;  // how far the argument lies above TANH_SATURATED
};

const ThresholdRectangle THRESHOLD_RECTANGLES[] = {
    {19, 8.87298012f, 5.66701269f, 0},
    {33, 8.87298012f, 3.26282549f, 0},
    {59, 10.2392769f, 2.10598636f, 1},
};

// Rectangles chosen to hit every branch of the series: realistic vessels, wild aspect
// ratios both ways, sides where a term's argument sits within a few ulps of the point
// where tanh becomes exactly 1.0, zero, negative, subnormal, huge, infinite and NaN.
std::vector<Pair> adversarialPairs() {
    constexpr float inf = std::numeric_limits<float>::infinity();
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float tiny = std::numeric_limits<float>::denorm_min();
    constexpr float huge = std::numeric_limits<float>::max();
    const float specials[] = {0.0f, -0.0f, 1.0f, -1.0f, 1e-6f, 2.5e-5f, 3.0f, 1e30f, -1e30f,
                              tiny, -tiny, huge, -huge, inf, -inf, nan, 1e-38f, 7e-45f};
    const float scales[] = {1.0f, 0.000001f, 0.5f, -1.0f, 0.0f, -0.0f, 1e-30f, 3e-39f};
    std::vector<Pair> pairs;
    for (float a : specials) {
        for (float b : specials) {
            for (float scale : scales) pairs.push_back({a, b, scale});
        }
    }
    // Radial side 2 (R = 1): x = k pi T / 2 reaches 22 at T = 44 / (k pi), t = 2T.
    for (int k = 1; k < 64; k += 2) {
        for (double target : {22.0, -22.0, TANH_SATURATED, -TANH_SATURATED}) {
            float t = static_cast<float>(2.0 * target * 2.0 / (k * 3.1415926536));
            for (int step = 0; step < 8; ++step) t = std::nextafter(t, -inf);
            for (int step = 0; step < 16; ++step) {
                pairs.push_back({2.0f, t, 1.0f});
                pairs.push_back({-2.0f, -t, 1.0f});
                t = std::nextafter(t, inf);
            }
        }
    }
    for (const ThresholdRectangle& r : THRESHOLD_RECTANGLES) {
        pairs.push_back({r.radial, r.tangential, 1.0f});
        pairs.push_back({r.radial, -r.tangential, 1.0f});
        pairs.push_back({r.radial * 1024.0f, r.tangential * 1024.0f, 1.0f / 1024.0f});
    }
    std::mt19937 random(20240611);
    std::uniform_real_distribution<float> vessel(10.0f, 200.0f);
    std::uniform_real_distribution<float> aspect(0.3f, 3.0f);
    std::uniform_real_distribution<double> logRatio(-12.0, 12.0);
    for (int i = 0; i < 20000; ++i) {
        const float side = vessel(random);
        pairs.push_back({side, side * aspect(random), 0.000001f});
        const float wild = static_cast<float>(std::pow(10.0, logRatio(random)));
        pairs.push_back({side, side * wild, 1.0f});
        pairs.push_back({side * wild, side, 0.5f});
    }
    return pairs;
}

TEST(Circularize, RectanglesAreBitIdenticalToTheTermByTermFormulas) {
    auto state = makeFreshState();
    for (const Pair& p : adversarialPairs()) {
        state->scaleFactor = p.scale;
        state->fileCircles = 0;
        state->fileEllipses = 0;
        state->fileRects = 1;
        state->rectRadial[0] = p.first;
        state->rectTangential[0] = p.second;
        circularizeFile(*state);
        ASSERT_TRUE(sameFloat(referenceRectangle(p.first, p.second, p.scale), state->fileCircularized[0]))
            << p.first << " x " << p.second << " scale " << p.scale;
        // The double-precision pieces too, which the float rounding could hide.
        const double halfRadial = static_cast<double>(state->rectRadial[0]) / 2.0;
        const double halfTangential = static_cast<double>(state->rectTangential[0]) / 2.0;
        ASSERT_TRUE(sameDouble(referenceSeries(halfRadial, halfTangential),
                               rectangleSeries(halfRadial, halfTangential)))
            << p.first << " x " << p.second << " scale " << p.scale;
        ASSERT_TRUE(sameDouble(referenceFourthPower(halfRadial, halfTangential),
                               rectangleFourthPower(halfRadial, halfTangential)));
    }
}

TEST(Circularize, TanhIsExactlyOneFromTheSaturationThresholdOn) {
    // The series skips tanh from TANH_SATURATED on; the library must agree there, and the
    // double before it must still give less than 1.0, or the threshold is not the first.
    const double before = std::nextafter(TANH_SATURATED, 0.0);
    EXPECT_EQ(1.0, std::tanh(TANH_SATURATED));
    EXPECT_EQ(-1.0, std::tanh(-TANH_SATURATED));
    EXPECT_EQ(1.0, std::tanh(std::nextafter(TANH_SATURATED, 100.0)));
    EXPECT_LT(std::tanh(before), 1.0);
    EXPECT_GT(std::tanh(-before), -1.0);
}

TEST(Circularize, ThresholdRectanglesLandWhereTheyAreSaid) {
    for (const ThresholdRectangle& r : THRESHOLD_RECTANGLES) {
        SCOPED_TRACE(r.k);
        const double halfRadial = static_cast<double>(r.radial) / 2.0;
        const double halfTangential = static_cast<double>(r.tangential) / 2.0;
        double expected = TANH_SATURATED;
        for (int i = 0; i < r.doublesAbove; ++i) expected = std::nextafter(expected, 100.0);
        EXPECT_EQ(expected, (r.k * 3.1415926536 * halfTangential) / (2.0 * halfRadial));
    }
}

// Half-sides for which the argument of term k, (k pi T) / (2R), is exactly `target`: with
// R = 1/2 the divisor is 1, and T is walked double by double until the product lands.
// Zero when the products step over the target.
double halfTangentialLanding(int k, double target) {
    const double kPi = k * 3.1415926536;
    double t = target / kPi;
    for (int step = 0; step < 16; ++step) {
        const double x = (kPi * t) / (2.0 * 0.5);
        if (x == target) return t;
        t = std::nextafter(t, x < target ? 2.0 * t : 0.5 * t);
    }
    return 0.0;
}

TEST(Circularize, SeriesTermsOnEitherSideOfTheSaturationThreshold) {
    int landed = 0;
    for (int k = 1; k < 64; k += 2) {
        for (int offset = -3; offset <= 3; ++offset) {
            double target = TANH_SATURATED;
            for (int i = 0; i < std::abs(offset); ++i) target = std::nextafter(target, offset < 0 ? 0.0 : 100.0);
            for (double sign : {1.0, -1.0}) {
                const double halfTangential = sign * halfTangentialLanding(k, target);
                if (halfTangential == 0.0) continue;
                ++landed;
                SCOPED_TRACE("k " + std::to_string(k) + ", " + std::to_string(offset) + " doubles from the threshold");
                EXPECT_TRUE(sameDouble(referenceSeries(0.5, halfTangential), rectangleSeries(0.5, halfTangential)));
                EXPECT_TRUE(sameDouble(referenceFourthPower(0.5, halfTangential),
                                       rectangleFourthPower(0.5, halfTangential)));
            }
        }
    }
    EXPECT_GE(landed, 200) << "too few arguments landed where they were aimed";
}

TEST(Circularize, WholeFilesOfRectanglesMatchTheFormulas) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> vessel(10.0f, 200.0f);
    std::uniform_real_distribution<float> aspect(0.3f, 3.0f);
    auto state = makeFreshState();
    state->scaleFactor = 0.000001f;
    state->fileRects = MAX_SHAPES_PER_KIND;
    std::vector<Pair> written;
    for (int i = 0; i < MAX_SHAPES_PER_KIND; ++i) {
        const float side = vessel(random);
        written.push_back({side, side * aspect(random), state->scaleFactor});
        state->rectRadial[i] = written.back().first;
        state->rectTangential[i] = written.back().second;
    }
    circularizeFile(*state);
    for (int i = 0; i < MAX_SHAPES_PER_KIND; ++i) {
        const Pair& p = written[static_cast<std::size_t>(i)];
        ASSERT_TRUE(sameFloat(referenceRectangle(p.first, p.second, p.scale), state->fileCircularized[i])) << i;
    }
}

TEST(Circularize, EllipsesMatchTheFormulas) {
    const std::vector<Pair> pairs = adversarialPairs();
    auto state = makeFreshState();
    for (const Pair& p : pairs) {
        state->scaleFactor = p.scale;
        state->fileCircles = 0;
        state->fileEllipses = 1;
        state->fileRects = 0;
        state->ellipseMajor[0] = p.first;
        state->ellipseMinor[0] = p.second;
        circularizeFile(*state);
        ASSERT_TRUE(sameFloat(referenceEllipse(p.first, p.second, p.scale), state->fileCircularized[0]))
            << p.first << " x " << p.second << " scale " << p.scale;
    }
}

TEST(Circularize, CountsOutsideTheArraysNeverLeaveThem) {
    auto state = makeFreshState();
    state->scaleFactor = 1.0f;
    state->fileCircles = MAX_SHAPES_PER_KIND + 5;
    state->fileEllipses = -3;
    state->fileRects = MAX_SHAPES_PER_KIND * 4;
    state->saveClipList[0] = 42.0f;  // the field after the arrays is never reached
    circularizeFile(*state);
    EXPECT_EQ(42.0f, state->saveClipList[0]);
}

}  // namespace
