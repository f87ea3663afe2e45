// The data file reader: the example file, the line of every failure, the bad inputs a
// user meets, and what a refused file may and may not change.
#include "core/data_file.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/core/core_test_support.h"

using namespace std::string_literals;

namespace {

// The example file of a transect: scale factor 1e-6 (micrometres to metres), two
// circles, one ellipse and one rectangle, one item per line.
const std::string EXAMPLE = "Transect A\n0.000001\n2\n31.5\n28\n1\n40 25\n1\n30 20\n";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

// Every line end of text replaced by a single space: all items on one line.
std::string onOneLine(const std::string& text) {
    const std::size_t firstEnd = text.find('\n');
    std::string result = text.substr(0, firstEnd + 1);
    for (std::size_t i = firstEnd + 1; i < text.size(); ++i) result += text[i] == '\n' ? ' ' : text[i];
    return result;
}

std::string withCrLf(const std::string& text) {
    std::string result;
    for (char c : text) result += c == '\n' ? "\r\n"s : std::string(1, c);
    return result;
}

TEST(DataFile, FormatTextIsTheElevenLineSummary) {
    EXPECT_EQ(181u, std::strlen(FILE_FORMAT_TEXT));
    EXPECT_STREQ(
        "Set_name\nScale_factor\nCircular count\nDiameter\n    ---    \nElliptical count\n"
        "Major_axis Minor_axis\n    ---        ---\nRectangular count\n"
        "Radial_side Tangential_side\n    ---        ---\n",
        FILE_FORMAT_TEXT);
}

TEST(DataFile, ExampleFileOnDiskIsTheTransectExample) {
    TempFolder folder;
    const std::string path = examplePath("transect-a.dat");
    auto state = makeFreshState();
    ASSERT_TRUE(setDataFilePath(*state, path.c_str()));
    MessageRecorder recorder;
    ASSERT_TRUE(readDataFile(*state, nullptr));
    EXPECT_TRUE(recorder.messages().empty());
    EXPECT_STREQ("Transect A\n", state->setName);
    EXPECT_EQ(0.000001f, state->scaleFactor);
    EXPECT_EQ(2, state->fileCircles);
    EXPECT_EQ(31.5f, state->circleDiameter[0]);
    EXPECT_EQ(28.0f, state->circleDiameter[1]);
    EXPECT_EQ(1, state->fileEllipses);
    EXPECT_EQ(40.0f, state->ellipseMajor[0]);
    EXPECT_EQ(25.0f, state->ellipseMinor[0]);
    EXPECT_EQ(1, state->fileRects);
    EXPECT_EQ(30.0f, state->rectRadial[0]);
    EXPECT_EQ(20.0f, state->rectTangential[0]);
}

// What a good file leaves in the per-file fields, unscaled.
struct GoodFileCase {
    const char* name;
    std::string text;
    std::string setName;
    float scale;
    std::vector<float> circles;
    std::vector<std::pair<float, float>> ellipses;  // major, minor as stored
    std::vector<std::pair<float, float>> rects;     // radial, tangential as stored
};

const float INF = std::numeric_limits<float>::infinity();

const std::vector<GoodFileCase>& goodFileCases() {
    static const std::vector<GoodFileCase> cases = {
        {"example", EXAMPLE, "Transect A\n", 0.000001f, {31.5f, 28.0f}, {{40, 25}}, {{30, 20}}},
        {"CR LF line ends", withCrLf(EXAMPLE), "Transect A\n", 0.000001f, {31.5f, 28.0f}, {{40, 25}}, {{30, 20}}},
        {"all items on one line", onOneLine(EXAMPLE), "Transect A\n", 0.000001f, {31.5f, 28.0f}, {{40, 25}}, {{30, 20}}},
        {"blank lines, tabs and lone CRs", "T\n\n 0.000001\t\r\n\r2\n31.5\f28\v\n1\n40\n25\n1\n30\t20",
         "T\n", 0.000001f, {31.5f, 28.0f}, {{40, 25}}, {{30, 20}}},
        {"trailing text is ignored", EXAMPLE + "this is not read\0\xff"s, "Transect A\n", 0.000001f,
         {31.5f, 28.0f}, {{40, 25}}, {{30, 20}}},
        {"ellipse pair ordered, rectangle pair kept", "S\n1\n0\n2\n25 40\n5 5\n1\n20 30\n", "S\n", 1.0f,
         {}, {{40, 25}, {5, 5}}, {{20, 30}}},
        {"three zero counts", "Empty\n0.5\n0\n0\n0\n", "Empty\n", 0.5f, {}, {}, {}},
        {"zero and negative values and factor", "Signs\n-2\n2\n0\n-3.5\n1\n-1 -4\n1\n0 -2\n", "Signs\n", -2.0f,
         {0.0f, -3.5f}, {{-1, -4}}, {{0, -2}}},
        {"scale factor exactly 1", "S\n1\n0\n0\n0\n", "S\n", 1.0f, {}, {}, {}},
        {"scale factor 1.00000005 stores 1.0", "S\n1.00000005\n0\n0\n0\n", "S\n", 1.0f, {}, {}, {}},
        {"scale factor 0", "S\n0\n1\n7\n0\n0\n", "S\n", 0.0f, {7.0f}, {}, {}},
        {"1e39 is infinity", "S\n1\n1\n1e39\n0\n0\n", "S\n", 1.0f, {INF}, {}, {}},
        {"rectangular count 1.5", "S\n1\n0\n0\n1.5\n30 20\n", "S\n", 1.0f, {}, {}, {{0.5f, 30.0f}}},
        {"count with sign", "S\n1\n+1\n3\n-0\n0\n", "S\n", 1.0f, {3.0f}, {}, {}},
        {"70-character first line", std::string(70, 'a') + "\n0.5\n0\n0\n0\n", std::string(63, 'a'), 0.5f, {}, {}, {}},
        {"300-character first line that ends in digits", std::string(293, 'b') + "0.00001\n0.5\n0\n0\n0\n",
         std::string(63, 'b'), 0.5f, {}, {}, {}},
        {"NUL bytes and binary in the first line", "a\0\x01\xfe\n0.5\n0\n0\n0\n"s, "a\0\x01\xfe\n"s, 0.5f, {}, {}, {}},
        {"no line end after the last pair", "S\n1\n0\n0\n1\n3 4", "S\n", 1.0f, {}, {}, {{3, 4}}},
    };
    return cases;
}

TEST(DataFile, GoodFilesAreStoredAsWritten) {
    TempFolder folder;
    auto state = makeFreshState();
    for (const GoodFileCase& c : goodFileCases()) {
        SCOPED_TRACE(c.name);
        MessageRecorder recorder;
        ASSERT_TRUE(setDataFilePath(*state, folder.write("good.dat", c.text).c_str()));
        ASSERT_TRUE(readDataFile(*state, nullptr));
        EXPECT_TRUE(recorder.messages().empty());
        EXPECT_EQ(c.setName, std::string(state->setName, c.setName.size()));
        EXPECT_EQ('\0', state->setName[c.setName.size()]);
        EXPECT_EQ(bitsOf(c.scale), bitsOf(state->scaleFactor));
        ASSERT_EQ(static_cast<int32_t>(c.circles.size()), state->fileCircles);
        for (std::size_t i = 0; i < c.circles.size(); ++i) {
            EXPECT_EQ(bitsOf(c.circles[i]), bitsOf(state->circleDiameter[i])) << i;
        }
        ASSERT_EQ(static_cast<int32_t>(c.ellipses.size()), state->fileEllipses);
        for (std::size_t i = 0; i < c.ellipses.size(); ++i) {
            EXPECT_EQ(bitsOf(c.ellipses[i].first), bitsOf(state->ellipseMajor[i])) << i;
            EXPECT_EQ(bitsOf(c.ellipses[i].second), bitsOf(state->ellipseMinor[i])) << i;
        }
        ASSERT_EQ(static_cast<int32_t>(c.rects.size()), state->fileRects);
        for (std::size_t i = 0; i < c.rects.size(); ++i) {
            EXPECT_EQ(bitsOf(c.rects[i].first), bitsOf(state->rectRadial[i])) << i;
            EXPECT_EQ(bitsOf(c.rects[i].second), bitsOf(state->rectTangential[i])) << i;
        }
    }
}

// A refused file and the line its message names.
struct BadFileCase {
    const char* name;
    std::string text;
    int line;
};

const std::vector<BadFileCase>& badFileCases() {
    static const std::vector<BadFileCase> cases = {
        // Each item of the example file in turn.
        {"empty file", "", 1},
        {"first line alone", "Transect A\n", 2},
        {"first line without line end", "Transect A", 2},
        {"scale factor a word", replaced(EXAMPLE, "0.000001", "micro"), 2},
        {"scale factor 1.0000002", replaced(EXAMPLE, "0.000001", "1.0000002"), 2},
        {"scale factor 2", replaced(EXAMPLE, "0.000001", "2"), 2},
        {"scale factor 1e39", replaced(EXAMPLE, "0.000001", "1e39"), 2},
        {"scale factor inf", replaced(EXAMPLE, "0.000001", "inf"), 2},
        {"scale factor hexadecimal", replaced(EXAMPLE, "0.000001", "0x1p-20"), 3},
        {"circular count missing", "Transect A\n0.000001\n", 3},
        {"circular count a word", replaced(EXAMPLE, "\n2\n", "\ntwo\n"), 3},
        {"diameter 1 a word", replaced(EXAMPLE, "31.5", "wide"), 4},
        {"lone x for diameter 2", replaced(EXAMPLE, "\n28\n", "\nx\n"), 5},
        {"28x for diameter 2", replaced(EXAMPLE, "\n28\n", "\n28x\n"), 6},
        {"diameter nan", replaced(EXAMPLE, "\n28\n", "\nnan\n"), 5},
        {"diameter 1e without digits", replaced(EXAMPLE, "\n28\n", "\n28e\n"), 5},
        {"diameter 1e+ without digits", replaced(EXAMPLE, "\n28\n", "\n2.8e+\n"), 5},
        {"elliptical count a word", replaced(EXAMPLE, "\n1\n40", "\none\n40"), 6},
        {"ellipse first value a word", replaced(EXAMPLE, "40 25", "x 25"), 7},
        {"ellipse second value a word", replaced(EXAMPLE, "40 25", "40 x"), 7},
        {"rectangular count a word", replaced(EXAMPLE, "\n1\n30", "\nx\n30"), 8},
        {"rectangle second side a word", replaced(EXAMPLE, "30 20", "30 y"), 9},
        {"last line missing", replaced(EXAMPLE, "30 20\n", ""), 9},
        {"40 alone on the ellipse line", replaced(EXAMPLE, "40 25", "40"), 9},
        {"items on one line keep the layout's lines", onOneLine(replaced(EXAMPLE, "\n28\n", "\n28x\n")), 6},
        {"CR LF file keeps the layout's lines", withCrLf(replaced(EXAMPLE, "30 20", "30")), 9},
        // Counts outside the arrays, at each count's line.
        {"circular count -1", replaced(EXAMPLE, "\n2\n", "\n-1\n"), 3},
        {"circular count 1001", replaced(EXAMPLE, "\n2\n", "\n1001\n"), 3},
        {"circular count 99999999999", replaced(EXAMPLE, "\n2\n", "\n99999999999\n"), 3},
        {"elliptical count -1", replaced(EXAMPLE, "\n1\n40", "\n-1\n40"), 6},
        {"elliptical count 1001", replaced(EXAMPLE, "\n1\n40", "\n1001\n40"), 6},
        {"elliptical count 99999999999", replaced(EXAMPLE, "\n1\n40", "\n99999999999\n40"), 6},
        {"rectangular count -1", replaced(EXAMPLE, "\n1\n30", "\n-1\n30"), 8},
        {"rectangular count 1001", replaced(EXAMPLE, "\n1\n30", "\n1001\n30"), 8},
        {"rectangular count 99999999999", replaced(EXAMPLE, "\n1\n30", "\n99999999999\n30"), 8},
        {"rectangular count -4294967295", replaced(EXAMPLE, "\n1\n30", "\n-4294967295\n30"), 8},
        // A circular count of 2.5: 2, then .5 and 31.5 are the diameters, and 28 is taken
        // as the elliptical count; the file runs out at ellipse 4, line 4 + 2 + 4.
        {"circular count 2.5", replaced(EXAMPLE, "\n2\n", "\n2.5\n"), 10},
        // Binary garbage and NUL bytes where numbers belong.
        {"NUL bytes for the scale factor", "Transect A\n\0\0\0\n2\n"s, 2},
        {"binary garbage for a diameter", replaced(EXAMPLE, "31.5", "\x01\xff\xfe\x7f"), 4},
        {"NUL after a count", replaced(EXAMPLE, "\n1\n40", "\n1\0\n40"s), 7},
        {"first line longer than the buffer alone", std::string(200000, 'z') + "\n", 2},
    };
    return cases;
}

TEST(DataFile, BadFilesAreRefusedAtTheirLineWithOneMessage) {
    TempFolder folder;
    const std::string goodPath = folder.write("good.dat", EXAMPLE);
    for (const BadFileCase& c : badFileCases()) {
        SCOPED_TRACE(c.name);
        auto state = makeFreshState();
        loadFile(*state, goodPath);
        ASSERT_EQ(1, state->dataValid);
        const auto before = std::make_unique<AnalysisState>(*state);

        const std::string path = folder.write("bad.dat", c.text);
        MessageRecorder recorder(state.get());
        int owner = 0;
        loadFile(*state, path, &owner);

        ASSERT_EQ(1u, recorder.messages().size());
        const RecordedMessage& message = recorder.messages()[0];
        EXPECT_EQ("Data file " + path + ", line " + std::to_string(c.line), message.text);
        EXPECT_FALSE(message.caption.has_value());
        EXPECT_EQ(MessageIcon::error, message.icon);
        EXPECT_EQ(&owner, message.owner);
        EXPECT_EQ(1, message.dataValidWhenShown) << "dataValid is cleared after the box";
        EXPECT_EQ(0, state->dataValid);
        expectAccumulationUnchanged(*before, *state);
        for (int32_t count : {state->fileCircles, state->fileEllipses, state->fileRects}) {
            EXPECT_GE(count, 0);
            EXPECT_LE(count, MAX_SHAPES_PER_KIND);
        }
    }
}

TEST(DataFile, RefusedCountTouchesNoArray) {
    TempFolder folder;
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"circles", "S\n1\n1001\n1\n"},
        {"ellipses", "S\n1\n0\n-1\n1 1\n"},
        {"rectangles", "S\n1\n0\n0\n99999999999\n1 1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto state = makeFreshState();
        float* arrays[] = {state->circleDiameter, state->ellipseMajor, state->ellipseMinor,
                           state->rectRadial, state->rectTangential};
        for (float* values : arrays) {
            for (int i = 0; i < MAX_SHAPES_PER_KIND; ++i) values[i] = 7.0f;
        }
        state->fileCircles = state->fileEllipses = state->fileRects = 5;
        MessageRecorder recorder;
        ASSERT_TRUE(setDataFilePath(*state, folder.write("count.dat", c.text).c_str()));
        EXPECT_FALSE(readDataFile(*state, nullptr));
        EXPECT_EQ(1u, recorder.messages().size());
        for (float* values : arrays) {
            for (int i = 0; i < MAX_SHAPES_PER_KIND; ++i) ASSERT_EQ(7.0f, values[i]) << i;
        }
        // The refused count is not stored; the counts read before it are.
        EXPECT_EQ(std::string(c.name) == "circles" ? 5 : 0, state->fileCircles);
        EXPECT_EQ(std::string(c.name) == "rectangles" ? 0 : 5, state->fileEllipses);
        EXPECT_EQ(5, state->fileRects);
    }
}

TEST(DataFile, AThousandOfEachKindFitExactly) {
    TempFolder folder;
    std::string text = "Full\n1\n1000\n";
    for (int i = 0; i < 1000; ++i) text += std::to_string(i + 1) + "\n";
    text += "1000\n";
    for (int i = 0; i < 1000; ++i) text += "2 " + std::to_string(i + 3) + "\n";
    text += "1000\n";
    for (int i = 0; i < 1000; ++i) text += std::to_string(i) + " 5\n";
    auto state = makeFreshState();
    ASSERT_TRUE(setDataFilePath(*state, folder.write("full.dat", text).c_str()));
    MessageRecorder recorder;
    ASSERT_TRUE(readDataFile(*state, nullptr));
    EXPECT_EQ(1000, state->fileCircles);
    EXPECT_EQ(1000.0f, state->circleDiameter[999]);
    EXPECT_EQ(1002.0f, state->ellipseMajor[999]);
    EXPECT_EQ(2.0f, state->ellipseMinor[999]);
    EXPECT_EQ(999.0f, state->rectRadial[999]);
    EXPECT_EQ(5.0f, state->rectTangential[999]);
}

TEST(DataFile, RefusedPartsKeepWhatWasReadBeforeTheFailure) {
    TempFolder folder;
    auto state = makeFreshState();
    // Remnants of an earlier file in the sections the refused one does not reach.
    state->fileRects = 4;
    state->rectRadial[0] = 9.0f;
    state->ellipseMinor[0] = 6.0f;
    MessageRecorder recorder;
    // A refused scale factor is stored before it is judged; the 40 of the ellipse is
    // read, its missing partner leaves the cleared 0.
    ASSERT_TRUE(setDataFilePath(*state, folder.write("f.dat", "S\n3\n").c_str()));
    EXPECT_FALSE(readDataFile(*state, nullptr));
    EXPECT_EQ(3.0f, state->scaleFactor);
    ASSERT_TRUE(setDataFilePath(*state, folder.write("f.dat", "S\n1\n1\n5\n1\n40 x").c_str()));
    EXPECT_FALSE(readDataFile(*state, nullptr));
    EXPECT_EQ(1, state->fileEllipses);
    EXPECT_EQ(40.0f, state->ellipseMajor[0]);
    EXPECT_EQ(0.0f, state->ellipseMinor[0]);
    EXPECT_EQ(4, state->fileRects);
    EXPECT_EQ(9.0f, state->rectRadial[0]);
    EXPECT_EQ(2u, recorder.messages().size());
}

TEST(DataFile, FilesThatCannotBeOpenedNameTheirPath) {
    TempFolder folder;
    const std::string missing = (folder.path() / "no such file.dat").string();
    const std::string inMissingFolder = (folder.path() / "gone" / "a.dat").string();
    const std::string longMissing = (folder.path() / std::string(250, 'q')).string() + "/" +
                                    std::string(DATA_FILE_PATH_CAPACITY - 300, 'r');
    ASSERT_LT(longMissing.size(), static_cast<std::size_t>(DATA_FILE_PATH_CAPACITY));
    const std::string cases[] = {missing, inMissingFolder, folder.path().string(), longMissing, ""};
    for (const std::string& path : cases) {
        SCOPED_TRACE(path.substr(0, 80));
        auto state = makeFreshState();
        loadFile(*state, examplePath("transect-a.dat"));
        const auto before = std::make_unique<AnalysisState>(*state);
        MessageRecorder recorder(state.get());
        loadFile(*state, path);
        ASSERT_EQ(1u, recorder.messages().size());
        EXPECT_EQ("Cannot find file " + path, recorder.messages()[0].text);
        EXPECT_FALSE(recorder.messages()[0].caption.has_value());
        EXPECT_EQ(MessageIcon::error, recorder.messages()[0].icon);
        EXPECT_EQ(1, recorder.messages()[0].dataValidWhenShown);
        EXPECT_EQ(0, state->dataValid);
        expectAccumulationUnchanged(*before, *state);
        EXPECT_STREQ("Transect A\n", state->setName) << "nothing of the file is read";
    }
}

TEST(DataFile, ReportFileErrorFormatsBothKindsWithinBounds) {
    auto state = makeFreshState();
    std::memset(state->dataFilePath, 'p', DATA_FILE_PATH_CAPACITY - 1);
    state->dataFilePath[DATA_FILE_PATH_CAPACITY - 1] = '\0';
    const std::string path(DATA_FILE_PATH_CAPACITY - 1, 'p');
    state->dataValid = 1;
    MessageRecorder recorder(state.get());
    reportFileError(*state, FileErrorKind::badData, 3005, nullptr);
    reportFileError(*state, FileErrorKind::cannotOpen, 0, nullptr);
    ASSERT_EQ(2u, recorder.messages().size());
    EXPECT_EQ("Data file " + path + ", line 3005", recorder.messages()[0].text);
    EXPECT_EQ("Cannot find file " + path, recorder.messages()[1].text);
    EXPECT_EQ(0, state->dataValid);
}

}  // namespace
