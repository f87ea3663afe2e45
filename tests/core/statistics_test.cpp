// Accumulated statistics: the worked values, the order of the sums across files, the
// extremes, NaN and infinity, and the clipboard list with its capacity note.
#include "core/statistics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/circularize.h"
#include "tests/core/core_test_support.h"

namespace {

// A file's shapes as the reader would leave them (scale factor 1), taken into the
// analysis the way a successful load does.
struct FileShapes {
    std::vector<float> circles;
    std::vector<std::pair<float, float>> ellipses;  // major, minor
    std::vector<std::pair<float, float>> rects;     // radial, tangential
};

void accumulate(AnalysisState& state, const FileShapes& file, MessageOwner owner = nullptr) {
    state.scaleFactor = 1.0f;
    state.fileCircles = static_cast<int32_t>(file.circles.size());
    state.fileEllipses = static_cast<int32_t>(file.ellipses.size());
    state.fileRects = static_cast<int32_t>(file.rects.size());
    for (std::size_t i = 0; i < file.circles.size(); ++i) state.circleDiameter[i] = file.circles[i];
    for (std::size_t i = 0; i < file.ellipses.size(); ++i) {
        state.ellipseMajor[i] = file.ellipses[i].first;
        state.ellipseMinor[i] = file.ellipses[i].second;
    }
    for (std::size_t i = 0; i < file.rects.size(); ++i) {
        state.rectRadial[i] = file.rects[i].first;
        state.rectTangential[i] = file.rects[i].second;
    }
    addFileToAnalysis(state, owner);
}

std::string fourDigits(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

TEST(Statistics, TwoCirclesWorkedValues) {
    auto state = makeFreshState();
    MessageRecorder recorder;
    accumulate(*state, {{2.0f, 4.0f}, {}, {}});
    EXPECT_EQ(3.0, state->meanCircle);
    EXPECT_EQ(std::sqrt(2.0), state->sdCircle);
    EXPECT_EQ(3.0, state->meanDiameter);
    EXPECT_EQ(std::sqrt(2.0), state->sdDiameter);
    EXPECT_EQ(1.0, state->seDiameter);
    EXPECT_EQ("3.415", fourDigits(state->meanFourthDiameter));
    EXPECT_NEAR(std::pow(272.0 / 2.0, 0.25), state->meanFourthDiameter, 1e-15);
    EXPECT_EQ("1.083", fourDigits(state->seFourthDiameter));
    EXPECT_EQ("1.531", fourDigits(state->sdFourthDiameter));
    EXPECT_EQ(2.0, state->narrowestDiameter);
    EXPECT_EQ(4.0, state->widestDiameter);
    const double ellipseAndRectangleResults[] = {
        state->meanMajor, state->sdMajor, state->meanMinor, state->sdMinor,
        state->meanEccentricity, state->sdEccentricity, state->meanRadial, state->sdRadial,
        state->meanTangential, state->sdTangential, state->meanRadialTangential,
        state->sdRadialTangential, state->meanLong, state->sdLong, state->meanShort,
        state->sdShort, state->meanLongShort, state->sdLongShort};
    for (double result : ellipseAndRectangleResults) EXPECT_TRUE(std::isnan(result)) << result;
    EXPECT_TRUE(recorder.messages().empty());
}

TEST(Statistics, TwoFilesOfOneCircleEqualOneFileOfTwo) {
    auto together = makeFreshState();
    accumulate(*together, {{2.0f, 4.0f}, {}, {}});
    auto apart = makeFreshState();
    accumulate(*apart, {{2.0f}, {}, {}});
    EXPECT_TRUE(std::isnan(apart->sdCircle));
    EXPECT_TRUE(std::isnan(apart->sdDiameter));
    EXPECT_TRUE(std::isnan(apart->seDiameter));
    EXPECT_EQ(2.0, apart->meanCircle);
    accumulate(*apart, {{4.0f}, {}, {}});
    expectSameResults(*together, *apart);
    EXPECT_EQ(2.0, apart->narrowestDiameter);
    EXPECT_EQ(4.0, apart->widestDiameter);
}

TEST(Statistics, EccentricityDividesByTheMinorAxis) {
    auto state = makeFreshState();
    accumulate(*state, {{}, {{2.0f, 1.0f}, {3.0f, 3.0f}}, {}});
    EXPECT_EQ(std::sqrt(3.0), state->sumEcc);
    EXPECT_EQ(std::sqrt(3.0) * std::sqrt(3.0), state->sumEcc2);
    EXPECT_EQ(std::sqrt(3.0) / 2.0, state->meanEccentricity);
    EXPECT_EQ(5.0, state->sumMajor);
    EXPECT_EQ(4.0, state->sumMinor);
    EXPECT_EQ(13.0, state->sumMajor2);
    EXPECT_EQ(10.0, state->sumMinor2);
}

TEST(Statistics, RectangleSidesAndRatios) {
    const struct {
        const char* name;
        float radial, tangential;
        double radTang, radTang2, longSide, shortSide, longShort, longShort2;
    } cases[] = {
        {"equal sides", 3, 3, 1, 1, 3, 3, 1, 1},
        {"radial shorter", 1, 2, 0.5, 0.25, 2, 1, 2, 4},
        {"radial longer", 2, 1, 2, 4, 2, 1, 2, 4},
        // 1 / 25 = 0.04, where (1 / 5) squared would give 0.04000000000000001.
        {"ratio from the exact squares", 1, 5, 0.2, 1.0 / 25.0, 5, 1, 5, 25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto state = makeFreshState();
        accumulate(*state, {{}, {}, {{c.radial, c.tangential}}});
        EXPECT_EQ(c.radTang, state->sumRadTang);
        EXPECT_EQ(c.radTang2, state->sumRadTang2);
        EXPECT_EQ(c.longSide, state->sumLong);
        EXPECT_EQ(c.longSide * c.longSide, state->sumLong2);
        EXPECT_EQ(c.shortSide, state->sumShort);
        EXPECT_EQ(c.shortSide * c.shortSide, state->sumShort2);
        EXPECT_EQ(c.longShort, state->sumLongShort);
        EXPECT_EQ(c.longShort2, state->sumLongShort2);
        EXPECT_EQ(c.radial, state->sumRadial);
        EXPECT_EQ(c.tangential, state->sumTangential);
        EXPECT_EQ(c.radTang, state->meanRadialTangential);
    }
}

TEST(Statistics, NonFiniteValuesAreStoredAsTheyCome) {
    auto state = makeFreshState();
    accumulate(*state, {{2.0f}, {{5.0f, 0.0f}}, {{4.0f, 0.0f}}});
    EXPECT_TRUE(std::isinf(state->sumEcc));
    EXPECT_TRUE(std::isinf(state->meanEccentricity));
    EXPECT_TRUE(std::isinf(state->sumRadTang));
    EXPECT_TRUE(std::isinf(state->meanLongShort));
    EXPECT_TRUE(std::isnan(state->sdMajor)) << "a count of 1 divides by zero";
    // The flat ellipse and rectangle circularize to NaN: the sums turn NaN, but only the
    // circle moves the extremes.
    EXPECT_TRUE(std::isnan(state->fileCircularized[1]));
    EXPECT_TRUE(std::isnan(state->fileCircularized[2]));
    EXPECT_TRUE(std::isnan(state->sumD));
    EXPECT_TRUE(std::isnan(state->meanDiameter));
    EXPECT_EQ(2.0, state->narrowestDiameter);
    EXPECT_EQ(2.0, state->widestDiameter);

    auto both = makeFreshState();
    accumulate(*both, {{}, {{0.0f, 0.0f}}, {{0.0f, 0.0f}}});
    EXPECT_TRUE(std::isnan(both->sumEcc));
    EXPECT_TRUE(std::isnan(both->sumLongShort));
    EXPECT_EQ(NARROWEST_RESET_VALUE, both->narrowestDiameter);
    EXPECT_EQ(0.0, both->widestDiameter);
}

TEST(Statistics, EmptyTotalsGiveNaNAndKeepTheExtremes) {
    auto state = makeFreshState();
    MessageRecorder recorder;
    accumulate(*state, {});
    const double results[] = {state->meanDiameter, state->sdDiameter, state->seDiameter,
                              state->meanFourthDiameter, state->sdFourthDiameter,
                              state->seFourthDiameter, state->meanCircle, state->sdCircle};
    for (double result : results) EXPECT_TRUE(std::isnan(result)) << result;
    EXPECT_EQ(NARROWEST_RESET_VALUE, state->narrowestDiameter);
    EXPECT_EQ(0.0, state->widestDiameter);
    EXPECT_TRUE(recorder.messages().empty());
}

TEST(Statistics, ExtremesChangeOnlyOnStrictlySmallerOrLarger) {
    auto state = makeFreshState();
    accumulate(*state, {{3.0f, 5.0f}, {}, {}});
    // Equal values keep the extremes.
    accumulate(*state, {{5.0f, 3.0f}, {}, {}});
    EXPECT_EQ(3.0, state->narrowestDiameter);
    EXPECT_EQ(5.0, state->widestDiameter);
    // -0 equals +0: the widest after a reset stays +0.
    auto zero = makeFreshState();
    accumulate(*zero, {{-0.0f}, {}, {}});
    EXPECT_EQ(bitsOf(0.0), bitsOf(zero->widestDiameter)) << "-0 is not greater than +0";
    EXPECT_EQ(bitsOf(-0.0), bitsOf(zero->narrowestDiameter));
}

// The documented order of operations, written out once more over random files: any
// reordering of a product or a sum shows in the last bit of some result.
TEST(Statistics, OrderOfOperationsHoldsToTheBit) {
    std::mt19937 random(99);
    std::uniform_real_distribution<float> size(1e-5f, 2e-4f);
    auto state = makeFreshState();
    double sumD = 0, sumD2 = 0, sumD4 = 0, sumEcc = 0, sumEcc2 = 0, sumLS = 0, sumLS2 = 0;
    int32_t n = 0;
    for (int file = 0; file < 3; ++file) {
        FileShapes shapes;
        for (int i = 0; i < 300; ++i) {
            const float a = size(random);
            const float b = size(random);
            shapes.circles.push_back(a);
            shapes.ellipses.push_back({std::max(a, b), std::min(a, b)});
            shapes.rects.push_back({a, b});
        }
        accumulate(*state, shapes);
        for (int i = 0; i < state->fileElements; ++i) {
            const double d = state->fileCircularized[i];
            sumD += d;
            sumD2 += d * d;
            sumD4 += ((d * d) * d) * d;
        }
        for (const auto& [a, b] : shapes.ellipses) {
            const double e = std::sqrt(double{a} * double{a} - double{b} * double{b}) / double{b};
            sumEcc += e;
            sumEcc2 += e * e;
        }
        for (const auto& [r, t] : shapes.rects) {
            const double l = std::max<double>(r, t);
            const double sh = std::min<double>(r, t);
            sumLS += l / sh;
            sumLS2 += (l * l) / (sh * sh);
        }
        n += state->fileElements;
    }
    const double count = n;
    const double sd = std::sqrt((sumD2 - (sumD * sumD) / count) / static_cast<double>(n - 1));
    const double m = std::sqrt(std::sqrt(sumD4)) / std::sqrt(std::sqrt(count));
    const double se4 = std::sqrt(((sumD2 - (2.0 * m) * sumD) + (count * m) * m) /
                                 (static_cast<double>(n - 1) * count));
    const int32_t ne = state->totalEllipses;
    const double sdEcc = std::sqrt((sumEcc2 - (sumEcc * sumEcc) / ne) / static_cast<double>(ne - 1));
    const double sdLS = std::sqrt((sumLS2 - (sumLS * sumLS) / ne) / static_cast<double>(ne - 1));
    const struct {
        const char* name;
        double expected, actual;
    } cases[] = {
        {"sumD4", sumD4, state->sumD4},
        {"meanDiameter", sumD / count, state->meanDiameter},
        {"sdDiameter", sd, state->sdDiameter},
        {"seDiameter", sd / std::sqrt(count), state->seDiameter},
        {"meanFourthDiameter", m, state->meanFourthDiameter},
        {"seFourthDiameter", se4, state->seFourthDiameter},
        {"sdFourthDiameter", std::sqrt(count) * se4, state->sdFourthDiameter},
        {"sdEccentricity", sdEcc, state->sdEccentricity},
        {"sdLongShort", sdLS, state->sdLongShort},
    };
    for (const auto& c : cases) EXPECT_EQ(bitsOf(c.expected), bitsOf(c.actual)) << c.name;

    // In a long sum a last-bit difference of one term is absorbed: one value at a time
    // shows the order of the three products of the fourth power.
    for (int i = 0; i < 200; ++i) {
        resetAnalysis(*state);
        const float value = size(random);
        accumulate(*state, {{value}, {}, {}});
        const double d = value;
        ASSERT_EQ(bitsOf(((d * d) * d) * d), bitsOf(state->sumD4)) << value;
    }
}

TEST(Statistics, SaveClipListFollowsLoadOrderUntilItsCapacity) {
    auto state = makeFreshState();
    MessageRecorder recorder;
    int owner = 0;
    // 29 files of a thousand circles each: values 1 ... 1000 plus the file's thousands.
    FileShapes file;
    for (int file_index = 0; file_index < 29; ++file_index) {
        file.circles.clear();
        for (int i = 0; i < 1000; ++i) file.circles.push_back(static_cast<float>(file_index * 1000 + i));
        accumulate(*state, file, &owner);
    }
    ASSERT_TRUE(recorder.messages().empty());
    ASSERT_EQ(29000, state->totalElements);
    for (int i = 0; i < 29000; ++i) ASSERT_EQ(static_cast<float>(i), state->saveClipList[i]) << i;

    // The file that brings the total to exactly 30000 is not appended, and says so once.
    const auto before = std::make_unique<AnalysisState>(*state);
    for (float& value : file.circles) value = -1.0f;
    accumulate(*state, file, &owner);
    ASSERT_EQ(1u, recorder.messages().size());
    EXPECT_EQ("Too many cells for SaveClip", recorder.messages()[0].text);
    EXPECT_EQ(std::optional<std::string>("Note"), recorder.messages()[0].caption);
    EXPECT_EQ(MessageIcon::information, recorder.messages()[0].icon);
    EXPECT_EQ(&owner, recorder.messages()[0].owner);
    EXPECT_EQ(0, std::memcmp(before->saveClipList, state->saveClipList, sizeof state->saveClipList));
    EXPECT_EQ(30000, state->totalElements);
    EXPECT_EQ(-1.0, state->narrowestDiameter) << "the statistics still take the file";

    // Every later file with a shape says it again; a file without shapes says nothing.
    accumulate(*state, {{}, {}, {{1.0f, 1.0f}}}, &owner);
    EXPECT_EQ(2u, recorder.messages().size());
    accumulate(*state, {}, &owner);
    EXPECT_EQ(2u, recorder.messages().size());
    EXPECT_EQ(0, std::memcmp(before->saveClipList, state->saveClipList, sizeof state->saveClipList));
}

TEST(Statistics, SaveClipListTakesAFileThatEndsJustBelowCapacity) {
    auto state = makeFreshState();
    MessageRecorder recorder;
    FileShapes file;
    file.circles.assign(1000, 1.0f);
    for (int i = 0; i < 29; ++i) accumulate(*state, file);
    file.circles.assign(999, 2.0f);
    accumulate(*state, file);
    EXPECT_TRUE(recorder.messages().empty());
    EXPECT_EQ(29999, state->totalElements);
    EXPECT_EQ(2.0f, state->saveClipList[29998]);
    EXPECT_EQ(1.0f, state->saveClipList[28999]);
}

}  // namespace
