// The analysis record through its life: reset values, loads that succeed and fail in
// turn, Clear between loads, and the path that names the next file.
#include "core/analysis_state.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "tests/core/core_test_support.h"

namespace {

const std::string FIRST = "First\n1\n2\n2\n4\n1\n2 1\n1\n1 2\n";
const std::string SECOND = "Second\r\n0.5\r\n1\r\n10\r\n0\r\n2\r\n4 4\r\n6 2\r\n";
const std::string BAD = "Bad\n1\n1\nwide\n";
const std::string NO_SHAPES = "Nothing\n1\n0\n0\n0\n";

TEST(AnalysisState, ResetSetsTotalsSumsAndExtremesOnly) {
    auto state = std::make_unique<AnalysisState>();
    std::memset(state.get(), 0x5a, sizeof *state);
    const auto before = std::make_unique<AnalysisState>(*state);
    resetAnalysis(*state);
    const int32_t totals[] = {state->filesRead, state->totalElements, state->totalCircles,
                              state->totalEllipses, state->totalRects};
    for (int32_t total : totals) EXPECT_EQ(0, total);
    const double sums[] = {state->sumD, state->sumD2, state->sumD4, state->sumCircle,
                           state->sumCircle2, state->sumMajor, state->sumMajor2, state->sumMinor,
                           state->sumMinor2, state->sumEcc, state->sumEcc2, state->sumRadial,
                           state->sumRadial2, state->sumTangential, state->sumTangential2,
                           state->sumRadTang, state->sumRadTang2, state->sumLong, state->sumLong2,
                           state->sumShort, state->sumShort2, state->sumLongShort,
                           state->sumLongShort2, state->widestDiameter};
    for (double sum : sums) EXPECT_EQ(bitsOf(0.0), bitsOf(sum));
    EXPECT_EQ(3.4028234663852886e38, state->narrowestDiameter);
    EXPECT_EQ(static_cast<double>(std::numeric_limits<float>::max()), state->narrowestDiameter);
    // Left alone: the flag, the per-file fields, the results and the list.
    EXPECT_EQ(before->dataValid, state->dataValid);
    EXPECT_EQ(0, std::memcmp(before->dataFilePath, state->dataFilePath, sizeof state->dataFilePath));
    EXPECT_EQ(0, std::memcmp(before->circleDiameter, state->circleDiameter, sizeof state->circleDiameter));
    EXPECT_EQ(before->fileElements, state->fileElements);
    EXPECT_EQ(bitsOf(before->meanDiameter), bitsOf(state->meanDiameter));
    EXPECT_EQ(bitsOf(before->sdLongShort), bitsOf(state->sdLongShort));
    EXPECT_EQ(0, std::memcmp(before->saveClipList, state->saveClipList, sizeof state->saveClipList));
}

TEST(AnalysisState, ExampleFileLoadsWithItsValues) {
    auto state = makeFreshState();
    MessageRecorder recorder;
    loadFile(*state, examplePath("transect-a.dat"));
    EXPECT_TRUE(recorder.messages().empty());
    EXPECT_EQ(1, state->dataValid);
    EXPECT_EQ(1, state->filesRead);
    EXPECT_EQ(4, state->fileElements);
    EXPECT_EQ(4, state->totalElements);
    EXPECT_EQ(2, state->totalCircles);
    EXPECT_EQ(1, state->totalEllipses);
    EXPECT_EQ(1, state->totalRects);
    EXPECT_EQ(static_cast<double>(state->fileCircularized[3]), state->narrowestDiameter);
    EXPECT_EQ(static_cast<double>(state->fileCircularized[0]), state->widestDiameter);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(state->fileCircularized[i], state->saveClipList[i]);
}

TEST(AnalysisState, GoodFailedGoodCountsOnlyTheGoodFiles) {
    TempFolder folder;
    const std::string first = folder.write("first.dat", FIRST);
    const std::string bad = folder.write("bad.dat", BAD);
    const std::string second = folder.write("second.dat", SECOND);
    MessageRecorder recorder;

    auto straight = makeFreshState();
    loadFile(*straight, first);
    loadFile(*straight, second);
    ASSERT_TRUE(recorder.messages().empty());

    auto state = makeFreshState();
    loadFile(*state, first);
    EXPECT_EQ(1, state->dataValid);
    loadFile(*state, bad);
    EXPECT_EQ(0, state->dataValid);
    EXPECT_EQ(1, state->filesRead);
    loadFile(*state, second);
    EXPECT_EQ(1, state->dataValid);
    EXPECT_EQ(1u, recorder.messages().size());

    EXPECT_EQ(2, state->filesRead);
    EXPECT_EQ(2 + 1, state->totalCircles);
    EXPECT_EQ(1 + 0, state->totalEllipses);
    EXPECT_EQ(1 + 2, state->totalRects);
    EXPECT_EQ(4 + 3, state->totalElements);
    EXPECT_EQ(state->totalCircles + state->totalEllipses + state->totalRects, state->totalElements);
    expectAccumulationUnchanged(*straight, *state);
}

TEST(AnalysisState, ClearBetweenLoadsStartsANewAccumulation) {
    TempFolder folder;
    const std::string first = folder.write("first.dat", FIRST);
    const std::string second = folder.write("second.dat", SECOND);
    MessageRecorder recorder;

    auto alone = makeFreshState();
    loadFile(*alone, second);

    auto state = makeFreshState();
    loadFile(*state, first);
    // Clear: reset, then the flag.
    resetAnalysis(*state);
    state->dataValid = 0;
    loadFile(*state, second);
    EXPECT_EQ(1, state->dataValid);
    EXPECT_EQ(1, state->filesRead);
    EXPECT_EQ(3, state->totalElements);
    expectSameTotalsSumsAndResults(*alone, *state);
    for (int i = 0; i < state->fileElements; ++i) EXPECT_EQ(state->fileCircularized[i], state->saveClipList[i]);
    EXPECT_EQ(5.0f, state->saveClipList[0]) << "10 at scale 0.5";
}

TEST(AnalysisState, FileWithoutShapesLoadsAndCountsAsAFile) {
    TempFolder folder;
    MessageRecorder recorder;
    auto state = makeFreshState();
    loadFile(*state, folder.write("first.dat", FIRST));
    const auto before = std::make_unique<AnalysisState>(*state);
    loadFile(*state, folder.write("none.dat", NO_SHAPES));
    EXPECT_TRUE(recorder.messages().empty());
    EXPECT_EQ(1, state->dataValid);
    EXPECT_EQ(2, state->filesRead);
    EXPECT_EQ(0, state->fileElements);
    EXPECT_EQ(before->totalElements, state->totalElements);
    EXPECT_EQ(before->narrowestDiameter, state->narrowestDiameter);
    EXPECT_EQ(before->widestDiameter, state->widestDiameter);
    expectSameResults(*before, *state);  // recomputed from unchanged sums

    auto empty = makeFreshState();
    loadFile(*empty, folder.write("none.dat", NO_SHAPES));
    EXPECT_EQ(1, empty->dataValid);
    EXPECT_EQ(1, empty->filesRead);
    EXPECT_TRUE(std::isnan(empty->meanDiameter));
    EXPECT_EQ(NARROWEST_RESET_VALUE, empty->narrowestDiameter);
    EXPECT_EQ(0.0, empty->widestDiameter);
}

TEST(AnalysisState, LastFailureHidesResultsUntilTheNextGoodLoad) {
    TempFolder folder;
    MessageRecorder recorder;
    auto state = makeFreshState();
    loadFile(*state, folder.write("first.dat", FIRST));
    loadFile(*state, folder.write("second.dat", SECOND));
    loadFile(*state, folder.write("bad.dat", BAD));
    EXPECT_EQ(0, state->dataValid);
    EXPECT_EQ(2, state->filesRead);
    loadFile(*state, folder.write("none.dat", NO_SHAPES));
    EXPECT_EQ(1, state->dataValid);
    EXPECT_EQ(3, state->filesRead);
    EXPECT_EQ(7, state->totalElements);
}

TEST(AnalysisState, PathsThatDoNotFitAreRefusedUnchanged) {
    auto state = makeFreshState();
    const std::string fits(DATA_FILE_PATH_CAPACITY - 1, 'a');
    const std::string tooLong(DATA_FILE_PATH_CAPACITY, 'b');
    const std::string muchTooLong(3 * DATA_FILE_PATH_CAPACITY, 'c');
    ASSERT_TRUE(setDataFilePath(*state, "/data/first.dat"));
    EXPECT_STREQ("/data/first.dat", state->dataFilePath);
    EXPECT_FALSE(setDataFilePath(*state, tooLong.c_str()));
    EXPECT_FALSE(setDataFilePath(*state, muchTooLong.c_str()));
    EXPECT_FALSE(setDataFilePath(*state, nullptr));
    EXPECT_STREQ("/data/first.dat", state->dataFilePath);
    EXPECT_TRUE(setDataFilePath(*state, fits.c_str()));
    EXPECT_EQ(fits, state->dataFilePath);
    EXPECT_TRUE(setDataFilePath(*state, ""));
    EXPECT_STREQ("", state->dataFilePath);
}

TEST(AnalysisState, TheProcessRecordStartsAllZero) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(&analysisState);
    std::size_t nonZero = 0;
    for (std::size_t i = 0; i < sizeof analysisState; ++i) nonZero += bytes[i] != 0;
    EXPECT_EQ(0u, nonZero);
}

}  // namespace
