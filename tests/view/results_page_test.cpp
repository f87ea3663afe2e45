// The results page: the worked layout, the edge cases of narrow and odd widths, the
// column rules against exact integer arithmetic, non-finite and huge values, and
// metrics so large that the 32-bit arithmetic wraps.
#include "view/results_page.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

namespace {

// Rows of the page, in lines of lineHeight from the top.
constexpr int32_t PAGE_ROW[RESULTS_PAGE_LINES] = {2,  4,  6,  8,  9,  10, 8,  9,  10, 12, 13, 14, 17,
                                                  19, 20, 21, 17, 19, 20, 21, 22, 23, 24, 25, 14, 16,
                                                  17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28};

// The state whose results the worked page shows.
std::unique_ptr<AnalysisState> workedState() {
    auto s = std::make_unique<AnalysisState>();
    s->dataValid = 1;
    s->filesRead = 3;
    s->totalElements = 57;
    s->totalCircles = 20;
    s->totalEllipses = 25;
    s->totalRects = 12;
    s->meanDiameter = 3.412e-5;
    s->sdDiameter = 8.070e-6;
    s->seDiameter = 1.069e-6;
    s->meanFourthDiameter = 3.985e-5;
    s->sdFourthDiameter = 1.058e-5;
    s->seFourthDiameter = 1.401e-6;
    s->narrowestDiameter = 1.520e-5;
    s->widestDiameter = 5.873e-5;
    s->meanCircle = 3.150e-5;
    s->sdCircle = 6.200e-6;
    s->meanMajor = 4.110e-5;
    s->sdMajor = 9.300e-6;
    s->meanMinor = 3.020e-5;
    s->sdMinor = 7.700e-6;
    s->meanEccentricity = 0.641;
    s->sdEccentricity = 1.123e-1;
    s->meanRadial = 3.880e-5;
    s->sdRadial = 8.400e-6;
    s->meanTangential = 2.960e-5;
    s->sdTangential = 5.900e-6;
    s->meanRadialTangential = 1.337;
    s->sdRadialTangential = 2.114e-1;
    s->meanLong = 3.950e-5;
    s->sdLong = 7.900e-6;
    s->meanShort = 2.890e-5;
    s->sdShort = 5.200e-6;
    s->meanLongShort = 1.392;
    s->sdLongShort = 1.987e-1;
    return s;
}

struct ExpectedLine {
    int32_t x;
    int32_t y;
    const char* text;
};

void expectLine(const PageLine& line, const ExpectedLine& expected) {
    EXPECT_EQ(line.x, expected.x);
    EXPECT_EQ(line.y, expected.y);
    EXPECT_STREQ(line.text, expected.text);
    EXPECT_EQ(line.length, static_cast<int32_t>(std::strlen(expected.text)));
}

TEST(ResultsPage, WorkedExampleAt600By8By16) {
    const ExpectedLine expected[RESULTS_PAGE_LINES] = {
        {232, 32, "Razizez Quorvalen"},
        {252, 64, "3 files read"},
        {204, 96, "Total Circularized Cells"},
        {92, 128, "Mean diameter =  3.412e-005"},
        {124, 144, "SD = 8.070e-006"},
        {124, 160, "SE = 1.069e-006"},
        {276, 128, "Mean 4th diameter =  3.985e-005"},
        {308, 144, "SD = 1.058e-005"},
        {308, 160, "SE = 1.401e-006"},
        {212, 192, "Narrowest = 1.520e-005"},
        {212, 208, "Widest = 5.873e-005"},
        {212, 224, "Number of elements : 57"},
        {88, 272, "Circular"},
        {32, 304, "Mean diam = 3.150e-005"},
        {64, 320, "SD = 6.200e-006"},
        {96, 336, "n = 20"},
        {260, 272, "Elliptical"},
        {208, 304, "Mean major = 4.110e-005"},
        {240, 320, "SD major = 9.300e-006"},
        {208, 336, "Mean minor = 3.020e-005"},
        {240, 352, "SD minor = 7.700e-006"},
        {208, 368, "Mean eccen. = 0.641"},
        {240, 384, "SD eccen. = 1.123e-001"},
        {276, 400, "n = 25"},
        {431, 224, "Rectangular"},
        {379, 256, "Mean radial = 3.880e-005"},
        {411, 272, "SD radial = 8.400e-006"},
        {379, 288, "Mean tangen. = 2.960e-005"},
        {411, 304, "SD tangen. = 5.900e-006"},
        {379, 320, "Mean rad/tang = 1.337"},
        {411, 336, "SD ratio = 2.114e-001"},
        {379, 352, "Mean long = 3.950e-005"},
        {411, 368, "SD long = 7.900e-006"},
        {379, 384, "Mean short = 2.890e-005"},
        {411, 400, "SD short = 5.200e-006"},
        {379, 416, "Mean long/short = 1.392"},
        {411, 432, "SD ratio = 1.987e-001"},
        {451, 448, "n = 12"},
    };
    const ResultsPage page = layoutResultsPage(*workedState(), ViewMetrics{600, 8, 16});
    ASSERT_EQ(page.count, RESULTS_PAGE_LINES);
    for (int i = 0; i < RESULTS_PAGE_LINES; ++i) {
        SCOPED_TRACE("line " + std::to_string(i));
        expectLine(page.lines[i], expected[i]);
    }
}

TEST(ResultsPage, WithoutValidDataOnlyTheHeadingIsLaidOut) {
    const struct {
        ViewMetrics metrics;
        int32_t x;
    } cases[] = {
        {{600, 8, 16}, 232},
        {{601, 8, 16}, 232},  // (601 - 136) / 2 = 232.5, truncated
        {{0, 7, 13}, -59},    // -119 / 2 truncates toward zero, not down to -60
        {{7, 7, 13}, -56},
        {{0, 0, 0}, 0},       // before the window exists
    };
    auto state = workedState();
    state->dataValid = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE("W " + std::to_string(c.metrics.clientWidth) + " cw " + std::to_string(c.metrics.charWidth));
        const ResultsPage page = layoutResultsPage(*state, c.metrics);
        ASSERT_EQ(page.count, 1);
        expectLine(page.lines[0], {c.x, 2 * c.metrics.lineHeight, "Razizez Quorvalen"});
    }
}

TEST(ResultsPage, NarrowWindowsGiveNegativePositionsTruncatedTowardZero) {
    const ResultsPage page = layoutResultsPage(*workedState(), ViewMetrics{7, 7, 10});
    EXPECT_EQ(page.lines[0].x, -56);
    // "Circular": 7 * 1.2 / 6.0 - 28 = -26.6, truncated toward zero (down would be -27).
    EXPECT_STREQ(page.lines[12].text, "Circular");
    EXPECT_EQ(page.lines[12].x, -26);
    // "Rectangular": 7 * 4.75 / 6.0 - 38 = -32.458..., truncated.
    EXPECT_EQ(page.lines[24].x, -32);
}

TEST(ResultsPage, OneFileReadsSingular) {
    const struct {
        int32_t files;
        const char* text;
    } cases[] = {{1, "1 file read"}, {2, "2 files read"}, {0, "0 files read"}, {12, "12 files read"}};
    auto state = workedState();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        state->filesRead = c.files;
        const ResultsPage page = layoutResultsPage(*state, ViewMetrics{600, 8, 16});
        EXPECT_STREQ(page.lines[1].text, c.text);
        EXPECT_EQ(page.lines[1].x, (600 - 8 * static_cast<int32_t>(std::strlen(c.text))) / 2);
    }
}

TEST(ResultsPage, EveryLineStandsOnItsRowWhateverTheHeight) {
    const ResultsPage reference = layoutResultsPage(*workedState(), ViewMetrics{600, 8, 16});
    for (int32_t height : {0, 1, 13, 16, 40}) {
        const ResultsPage page = layoutResultsPage(*workedState(), ViewMetrics{600, 8, height});
        for (int i = 0; i < RESULTS_PAGE_LINES; ++i) {
            SCOPED_TRACE("height " + std::to_string(height) + " line " + std::to_string(i));
            EXPECT_EQ(page.lines[i].y, PAGE_ROW[i] * height);
            EXPECT_EQ(page.lines[i].x, reference.lines[i].x);
        }
    }
}

// The double-precision column anchors against their exact integer forms (W - 5h) / 5 and
// (19W - 24h) / 24, for every width WM_SIZE can report, on lines of several lengths.
TEST(ResultsPage, ColumnRulesMatchExactIntegerArithmeticForEveryWidth) {
    auto state = workedState();
    const int columnLines[] = {12, 13, 15, 24, 25, 37};  // the column anchors' lines
    for (int32_t charWidth : {7, 8}) {
        for (int32_t width = 0; width <= 65535; ++width) {
            const ResultsPage page = layoutResultsPage(*state, ViewMetrics{width, charWidth, 16});
            for (int i : columnLines) {
                const PageLine& line = page.lines[i];
                const int64_t h = int64_t{charWidth} * line.length / 2;
                const int64_t exact = i < 24 ? (int64_t{width} - 5 * h) / 5 : (19 * int64_t{width} - 24 * h) / 24;
                if (line.x != exact) {
                    ADD_FAILURE() << "W " << width << " cw " << charWidth << " line " << i << ": " << line.x
                                  << " against " << exact;
                    return;
                }
            }
        }
    }
}

TEST(ResultsPage, NonFiniteResultsReadPlainly) {
    auto state = workedState();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    state->meanCircle = -nan;  // an empty category: 0/0 carries the sign bit on x86
    state->sdCircle = nan;
    state->meanEccentricity = inf;
    state->meanRadialTangential = -inf;
    state->meanLongShort = nan;
    const ResultsPage page = layoutResultsPage(*state, ViewMetrics{600, 8, 16});
    EXPECT_STREQ(page.lines[13].text, "Mean diam = nan");
    EXPECT_STREQ(page.lines[14].text, "SD = nan");
    EXPECT_STREQ(page.lines[21].text, "Mean eccen. =   inf");
    EXPECT_STREQ(page.lines[29].text, "Mean rad/tang =  -inf");
    EXPECT_STREQ(page.lines[35].text, "Mean long/short =   nan");
}

TEST(ResultsPage, HugeRatioIsShownInFull) {
    auto state = workedState();
    state->meanLongShort = -DBL_MAX;  // a short side of almost nothing
    state->meanRadialTangential = 1e64;
    const ResultsPage page = layoutResultsPage(*state, ViewMetrics{600, 8, 16});
    char expected[400];
    std::snprintf(expected, sizeof expected, "Mean long/short = %5.3f", -DBL_MAX);
    EXPECT_STREQ(page.lines[35].text, expected);
    EXPECT_EQ(page.lines[35].length, PAGE_LINE_CAPACITY - 1);
    std::snprintf(expected, sizeof expected, "Mean rad/tang = %5.3f", 1e64);
    EXPECT_STREQ(page.lines[29].text, expected);
    // The SD line after it still stands 4 characters right of it.
    EXPECT_EQ(page.lines[36].x, page.lines[35].x + 32);
}

// Metrics far beyond any real font or window: the positions are those of wrapping 32-bit
// arithmetic, and nothing overflows here (the sanitizer build checks that).
TEST(ResultsPage, ExtremeMetricsWrapAsThirtyTwoBitArithmetic) {
    const ViewMetrics cases[] = {
        {INT32_MAX, INT32_MAX, INT32_MAX},
        {INT32_MIN, INT32_MIN, INT32_MIN},
        {65535, 65535, 65535},
        {-1, INT32_MAX, 1},
    };
    auto state = workedState();
    state->meanLongShort = -DBL_MAX;
    for (const ViewMetrics& m : cases) {
        SCOPED_TRACE("W " + std::to_string(m.clientWidth) + " cw " + std::to_string(m.charWidth));
        const ResultsPage page = layoutResultsPage(*state, m);
        const auto wrap = [](int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); };
        const int32_t headingWidth = wrap(int64_t{m.charWidth} * 17);
        EXPECT_EQ(page.lines[0].x, wrap(int64_t{m.clientWidth} - headingWidth) / 2);
        EXPECT_EQ(page.lines[0].y, wrap(2 * int64_t{m.lineHeight}));
        EXPECT_EQ(page.lines[37].y, wrap(28 * int64_t{m.lineHeight}));
    }
}

}  // namespace
