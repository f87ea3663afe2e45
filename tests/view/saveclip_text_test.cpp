// The SaveClip text: the worked bytes, the width of each kind of line, which entries are
// exported, and a text that is always sized to what is built.
#include "view/saveclip_text.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<AnalysisState> stateWithList(const std::vector<float>& values) {
    auto s = std::make_unique<AnalysisState>();
    s->dataValid = 1;
    s->totalElements = static_cast<int32_t>(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) s->saveClipList[i] = values[i];
    return s;
}

TEST(SaveClipText, WorkedExampleBytes) {
    const auto state = stateWithList({8.25e-06f, 1.2345e-04f});
    const unsigned char expected[17] = {0x20, 0x20, 0x38, 0x2E, 0x32, 0x35, 0x0D, 0x0A, 0x31,
                                        0x32, 0x33, 0x2E, 0x34, 0x35, 0x0D, 0x0A, 0x00};
    ASSERT_EQ(saveClipTextLength(*state), 16u);
    char block[17];
    EXPECT_EQ(writeSaveClipText(*state, block, sizeof block), 16u);
    EXPECT_EQ(std::memcmp(block, expected, sizeof expected), 0);
    EXPECT_EQ(buildSaveClipText(*state), "  8.25\r\n123.45\r\n");
}

TEST(SaveClipText, LineOfEachKindOfValue) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    char widest[64];
    std::snprintf(widest, sizeof widest, "%6.2f\r\n", static_cast<double>(-FLT_MAX) / 1e-6);
    const struct {
        const char* name;
        float value;
        std::string line;
    } cases[] = {
        {"zero", 0.0f, "  0.00\r\n"},
        {"25 um", 25e-6f, " 25.00\r\n"},
        {"999.99 um fills the field", 999.99e-6f, "999.99\r\n"},
        {"5e-9 is held just below it", 5e-9f, "  0.00\r\n"},
        {"1000 um needs a ninth byte", 1000e-6f, "1000.00\r\n"},
        {"a tenth of a metre", 0.1f, "100000.00\r\n"},
        {"negative", -5e-6f, " -5.00\r\n"},
        {"-100 um", -100e-6f, "-100.00\r\n"},
        {"nan", nan, "   nan\r\n"},
        {"negative nan", -nan, "   nan\r\n"},
        {"inf", inf, "   inf\r\n"},
        {"minus inf", -inf, "  -inf\r\n"},
        {"widest float", -FLT_MAX, widest},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto state = stateWithList({c.value});
        EXPECT_EQ(buildSaveClipText(*state), c.line);
        EXPECT_EQ(saveClipTextLength(*state), c.line.size());
    }
}

TEST(SaveClipText, ExportsEntriesOnlyWhileTheListIsComplete) {
    auto state = std::make_unique<AnalysisState>();
    for (int i = 0; i < SAVECLIP_CAPACITY; ++i) state->saveClipList[i] = static_cast<float>(i % 1000) * 1e-6f;
    state->dataValid = 1;

    state->totalElements = SAVECLIP_CAPACITY - 1;
    const std::string text = buildSaveClipText(*state);
    EXPECT_EQ(text.size(), static_cast<std::size_t>(SAVECLIP_CAPACITY - 1) * 8);
    EXPECT_EQ(text.substr(0, 16), "  0.00\r\n  1.00\r\n");
    EXPECT_EQ(text.substr(text.size() - 8), "998.00\r\n");  // entry 29998, in list order

    const struct {
        const char* name;
        int32_t total;
    } empty[] = {{"no elements", 0}, {"list full", SAVECLIP_CAPACITY}, {"beyond", 45000}, {"negative", -3}};
    for (const auto& c : empty) {
        SCOPED_TRACE(c.name);
        state->totalElements = c.total;
        EXPECT_EQ(saveClipTextLength(*state), 0u);
        char block[4] = {'#', '#', '#', '#'};
        EXPECT_EQ(writeSaveClipText(*state, block, sizeof block), 0u);
        EXPECT_EQ(block[0], '\0');  // the NUL alone
        EXPECT_EQ(block[1], '#');
    }
}

// Lines longer than 8 bytes: a block of totalElements * 8 + 1 would be too small; a block
// of saveClipTextLength + 1 holds the text and its NUL exactly.
TEST(SaveClipText, BlockSizedToTheBuiltText) {
    const auto state = stateWithList({25e-6f, 1500e-6f, 123456e-6f, 8e-6f});
    const std::string expected = " 25.00\r\n1500.00\r\n123456.00\r\n  8.00\r\n";
    const std::size_t length = saveClipTextLength(*state);
    ASSERT_EQ(length, expected.size());
    EXPECT_GT(length + 1, 4u * 8 + 1);

    std::vector<char> block(length + 1 + 8, '#');
    EXPECT_EQ(writeSaveClipText(*state, block.data(), length + 1), length);
    EXPECT_EQ(std::string(block.data()), expected);
    for (std::size_t i = length + 1; i < block.size(); ++i) EXPECT_EQ(block[i], '#') << "byte " << i;
}

TEST(SaveClipText, ShortBlockIsCutTerminatedAndNeverOverrun) {
    const auto state = stateWithList({8.25e-06f, 1.2345e-04f});
    for (std::size_t capacity : {std::size_t{0}, std::size_t{1}, std::size_t{8}, std::size_t{9}, std::size_t{16}}) {
        SCOPED_TRACE("capacity " + std::to_string(capacity));
        char block[24];
        std::memset(block, '#', sizeof block);
        EXPECT_EQ(writeSaveClipText(*state, block, capacity), 16u);
        if (capacity > 0) {
            EXPECT_EQ(std::string(block), std::string("  8.25\r\n123.45\r\n").substr(0, capacity - 1));
        }
        for (std::size_t i = capacity; i < sizeof block; ++i) EXPECT_EQ(block[i], '#') << "byte " << i;
    }
}

}  // namespace
