// quorvalen-report end to end: the built program is run on data files written here, and
// its standard output, standard error and exit status are compared with what a user and
// a script should get.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "core/analysis_state.h"
#include "core/message.h"

namespace {

namespace fs = std::filesystem;

struct RunResult {
    int status;
    std::string out;
    std::string err;
};

std::string readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string shellQuoted(const std::string& arg) {
    std::string quoted = "'";
    for (const char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// A scratch folder of its own for each test, so tests may run side by side.
class ReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::path(QUORVALEN_BINARY_DIR) / "report-test" / info->name();
        fs::remove_all(dir);
        fs::create_directories(dir);
    }

    std::string writeFile(const std::string& name, const std::string& contents) {
        const fs::path path = dir / name;
        std::ofstream(path, std::ios::binary) << contents;
        return path.string();
    }

    RunResult run(const std::vector<std::string>& args) {
        std::string command = shellQuoted(QUORVALEN_REPORT_PATH);
        for (const std::string& arg : args) command += " " + shellQuoted(arg);
        command += " >" + shellQuoted((dir / "stdout").string()) + " 2>" + shellQuoted((dir / "stderr").string());
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readWhole(dir / "stdout"), readWhole(dir / "stderr")};
    }

    // Circles of diameter 2 and 4, unscaled: results known by hand.
    std::string twoCircles() { return writeFile("two.dat", "Two circles\n1\n2\n2\n4\n0\n0\n"); }
    // Refused: a scale factor above 1.
    std::string badScale() { return writeFile("bad.dat", "Bad scale\n2\n1\n5\n0\n0\n"); }
    // One shape of each kind, in micrometres.
    std::string oneOfEach() {
        return writeFile("each.dat", "One of each\n0.000001\n1\n8.25\n1\n40 25\n1\n30 20\n");
    }

    fs::path dir;
};

// What the window would hold after loading the same files through the core.
std::unique_ptr<AnalysisState> loadedInProcess(const std::vector<std::string>& files) {
    auto state = std::make_unique<AnalysisState>();
    setShowMessage(nullptr);
    resetAnalysis(*state);
    for (const std::string& file : files) {
        if (setDataFilePath(*state, file.c_str())) loadDataFile(*state, nullptr);
    }
    return state;
}

const char* const TWO_CIRCLES_PAGE[] = {
    "Razizez Quorvalen",
    "1 file read",
    "Total Circularized Cells",
    "Mean diameter =  3.000e+000",
    "SD = 1.414e+000",
    "SE = 1.000e+000",
    "Mean 4th diameter =  3.415e+000",
    "SD = 1.531e+000",
    "SE = 1.083e+000",
    "Narrowest = 2.000e+000",
    "Widest = 4.000e+000",
    "Number of elements : 2",
    "Circular",
    "Mean diam = 3.000e+000",
    "SD = 1.414e+000",
    "n = 2",
    "Elliptical",
    "Mean major = nan",
    "SD major = nan",
    "Mean minor = nan",
    "SD minor = nan",
    "Mean eccen. =   nan",
    "SD eccen. = nan",
    "n = 0",
    "Rectangular",
    "Mean radial = nan",
    "SD radial = nan",
    "Mean tangen. = nan",
    "SD tangen. = nan",
    "Mean rad/tang =   nan",
    "SD ratio = nan",
    "Mean long = nan",
    "SD long = nan",
    "Mean short = nan",
    "SD short = nan",
    "Mean long/short =   nan",
    "SD ratio = nan",
    "n = 0",
};

TEST_F(ReportTest, PrintsThePageTexts) {
    const RunResult r = run({twoCircles()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    std::string expected;
    for (const char* line : TWO_CIRCLES_PAGE) expected += std::string(line) + "\n";
    EXPECT_EQ(r.out, expected);
}

TEST_F(ReportTest, LastLoadDecidesWhatIsShownAndTheStatus) {
    const std::string good = twoCircles();
    const std::string bad = badScale();
    const std::string missing = (dir / "missing.dat").string();
    const struct {
        const char* name;
        std::vector<std::string> files;
        int status;
        std::size_t pageLines;
        std::string filesLine;
        std::string err;
    } cases[] = {
        {"good, bad", {good, bad}, 1, 1, "", "Data file " + bad + ", line 2\n"},
        {"good, bad, good", {good, bad, good}, 0, 38, "2 files read", "Data file " + bad + ", line 2\n"},
        {"missing, good", {missing, good}, 0, 38, "1 file read", "Cannot find file " + missing + "\n"},
        {"good, missing", {good, missing}, 1, 1, "", "Cannot find file " + missing + "\n"},
        {"bad, missing", {bad, missing}, 1, 1, "",
         "Data file " + bad + ", line 2\nCannot find file " + missing + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RunResult r = run(c.files);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.err, c.err);
        const auto lines = splitLines(r.out);
        ASSERT_EQ(lines.size(), c.pageLines);
        EXPECT_EQ(lines[0], "Razizez Quorvalen");
        if (c.pageLines > 1) {
            EXPECT_EQ(lines[1], c.filesLine);
        }
    }
}

TEST_F(ReportTest, PathTooLongForTheRecordIsAFileNotFoundAndTheNextIsTaken) {
    const std::string good = twoCircles();
    const std::string longPath = (dir / std::string(DATA_FILE_PATH_CAPACITY + 10, 'x')).string();
    const RunResult r = run({longPath, good});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "Cannot find file " + longPath + "\n");
    EXPECT_EQ(splitLines(r.out).size(), 38u);
}

TEST_F(ReportTest, LayoutGivesPositionsForTheMetrics) {
    const std::string good = twoCircles();
    const RunResult r = run({"--layout", "600,8,16", good});
    EXPECT_EQ(r.status, 0);
    const auto lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), 38u);
    EXPECT_EQ(lines[0], "232\t32\tRazizez Quorvalen");
    EXPECT_EQ(lines[1], "256\t64\t1 file read");  // (600 - 8 * 11) / 2
    EXPECT_EQ(lines[3], "92\t128\tMean diameter =  3.000e+000");
    EXPECT_EQ(lines[12], "88\t272\tCircular");
    EXPECT_EQ(lines[24], "431\t224\tRectangular");
    EXPECT_EQ(lines[37], "455\t448\tn = 0");  // 475 - (8 * 5) / 2: centred afresh on its own length
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].substr(lines[i].rfind('\t') + 1), TWO_CIRCLES_PAGE[i]) << "line " << i;
    }
    // The other spelling, and a narrow window with negative positions.
    const RunResult narrow = run({"--layout=0,7,10", good});
    EXPECT_EQ(splitLines(narrow.out)[0], "-59\t20\tRazizez Quorvalen");
}

TEST_F(ReportTest, ClipPrintsTheClipboardTextExactly) {
    const RunResult r = run({"--clip", oneOfEach()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const auto state = loadedInProcess({(dir / "each.dat").string()});
    ASSERT_EQ(state->totalElements, 3);
    // The circle first, then the ellipse and the rectangle, in micrometres.
    EXPECT_EQ(r.out.substr(0, 8), "  8.25\r\n");
    EXPECT_EQ(r.out.size(), 3u * 8);
    EXPECT_EQ(r.out.substr(r.out.size() - 2), "\r\n");
}

TEST_F(ReportTest, ClipRefusalsGoToStandardError) {
    // 3000 shapes a file; ten of them reach the clipboard list's capacity.
    std::string big = "Big\n0.000001\n1000\n";
    for (int i = 0; i < 1000; ++i) big += "50\n";
    big += "1000\n";
    for (int i = 0; i < 1000; ++i) big += "60 40\n";
    big += "1000\n";
    for (int i = 0; i < 1000; ++i) big += "30 20\n";
    const std::string bigFile = writeFile("big.dat", big);
    std::vector<std::string> tenBig{"--clip"};
    for (int i = 0; i < 10; ++i) tenBig.push_back(bigFile);

    const RunResult tooMany = run(tenBig);
    EXPECT_EQ(tooMany.status, 1);
    EXPECT_EQ(tooMany.out, "");
    // The tenth load's note, then the command's own refusal.
    EXPECT_EQ(tooMany.err, "Too many cells for SaveClip\nToo many cells for SaveClip\n");

    const RunResult noData = run({"--clip", twoCircles(), badScale()});
    EXPECT_EQ(noData.status, 1);
    EXPECT_EQ(noData.out, "");
    EXPECT_EQ(noData.err, "Data file " + (dir / "bad.dat").string() + ", line 2\nNo data to copy\n");
}

// Every number in the JSON reads back to the very double the core computed.
TEST_F(ReportTest, JsonNumbersReadBackExactly) {
    const std::vector<std::string> files{twoCircles(), oneOfEach()};
    const RunResult r = run({"--json", files[0], files[1]});
    EXPECT_EQ(r.status, 0);
    const auto state = loadedInProcess(files);
    const struct {
        const char* name;
        double value;
    } fields[] = {
        {"narrowestDiameter", state->narrowestDiameter}, {"widestDiameter", state->widestDiameter},
        {"meanDiameter", state->meanDiameter},           {"sdDiameter", state->sdDiameter},
        {"seDiameter", state->seDiameter},               {"meanFourthDiameter", state->meanFourthDiameter},
        {"sdFourthDiameter", state->sdFourthDiameter},   {"seFourthDiameter", state->seFourthDiameter},
        {"meanCircle", state->meanCircle},               {"sdCircle", state->sdCircle},
        {"meanMajor", state->meanMajor},                 {"meanMinor", state->meanMinor},
        {"meanEccentricity", state->meanEccentricity},   {"meanRadial", state->meanRadial},
        {"meanTangential", state->meanTangential},       {"meanRadialTangential", state->meanRadialTangential},
        {"meanLong", state->meanLong},                   {"meanShort", state->meanShort},
        {"meanLongShort", state->meanLongShort},         {"sdMajor", state->sdMajor},
    };
    for (const auto& f : fields) {
        SCOPED_TRACE(f.name);
        const std::string key = std::string("\"") + f.name + "\": ";
        const auto at = r.out.find(key);
        ASSERT_NE(at, std::string::npos);
        const char* number = r.out.c_str() + at + key.size();
        if (std::isfinite(f.value)) {
            EXPECT_EQ(std::strtod(number, nullptr), f.value);
        } else {
            EXPECT_EQ(std::string(number, 4), "null");  // one shape of a kind: no SD
        }
    }
    EXPECT_NE(r.out.find("\"filesRead\": 2,\n  \"totalElements\": 5,\n  \"totalCircles\": 3,\n"
                         "  \"totalEllipses\": 1,\n  \"totalRects\": 1,\n  \"dataValid\": 1,\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("\"messages\": []\n}\n"), std::string::npos);
}

TEST_F(ReportTest, JsonWithoutDataHasNullsAndTheMessages) {
    const std::string odd = writeFile("say \"hi\"\\.dat", "Odd\n2\n");
    const RunResult r = run({"--json", odd, (dir / "gone.dat").string()});
    EXPECT_EQ(r.status, 1);
    std::string expected = "{\n";
    for (const char* count : {"filesRead", "totalElements", "totalCircles", "totalEllipses", "totalRects", "dataValid"}) {
        expected += std::string("  \"") + count + "\": 0,\n";
    }
    for (const char* result :
         {"narrowestDiameter", "widestDiameter", "meanDiameter", "sdDiameter", "seDiameter", "meanFourthDiameter",
          "sdFourthDiameter", "seFourthDiameter", "meanCircle", "sdCircle", "meanMajor", "sdMajor", "meanMinor",
          "sdMinor", "meanEccentricity", "sdEccentricity", "meanRadial", "sdRadial", "meanTangential",
          "sdTangential", "meanRadialTangential", "sdRadialTangential", "meanLong", "sdLong", "meanShort",
          "sdShort", "meanLongShort", "sdLongShort"}) {
        expected += std::string("  \"") + result + "\": null,\n";
    }
    const std::string escapedDir = dir.string();  // the test folder has no quote or backslash
    expected += "  \"messages\": [\n    \"Data file " + escapedDir + "/say \\\"hi\\\"\\\\.dat, line 2\",\n    \"Cannot find file " +
                escapedDir + "/gone.dat\"\n  ]\n}\n";
    EXPECT_EQ(r.out, expected);
}

TEST_F(ReportTest, PerFileRowsStandAloneThenAllTogether) {
    const std::string first = twoCircles();
    const std::string bad = badScale();
    const std::string second = oneOfEach();
    const RunResult r = run({"--per-file", first, bad, second});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "Data file " + bad + ", line 2\n");  // once, not once per pass
    const auto lines = splitLines(r.out);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(lines[0].starts_with("file,message,filesRead,totalElements,totalCircles,")) << lines[0];
    EXPECT_TRUE(lines[0].ends_with(",meanLongShort,sdLongShort")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("\"" + first + "\",\"\",1,2,2,0,0,1,2,4,3,1.4142135623730951,1,")) << lines[1];
    EXPECT_EQ(lines[2], "\"" + bad + "\",\"Data file " + bad + ", line 2\"" + std::string(34, ','));
    // The lone ellipse and rectangle have no SD: NA, not an empty field.
    EXPECT_NE(lines[3].find(",NA,"), std::string::npos);
    EXPECT_TRUE(lines[3].starts_with("\"" + second + "\",\"\",1,3,1,1,1,1,")) << lines[3];
    EXPECT_TRUE(lines[4].starts_with("\"(all files)\",\"\",2,5,3,1,1,1,")) << lines[4];
}

TEST_F(ReportTest, UsageErrorsExitWithTwoAndAHint) {
    const std::string good = twoCircles();
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{}, "quorvalen-report: no data file given (try 'quorvalen-report --help')\n"},
        {{"--json"}, "quorvalen-report: no data file given (try 'quorvalen-report --help')\n"},
        {{"--bogus", good}, "quorvalen-report: unknown option '--bogus' (try 'quorvalen-report --help')\n"},
        {{"--json=1", good}, "quorvalen-report: unknown option '--json=1' (try 'quorvalen-report --help')\n"},
        {{good, "--layout"}, "quorvalen-report: option '--layout' needs W,CW,L (try 'quorvalen-report --help')\n"},
        {{"--layout", "600,8", good}, "quorvalen-report: '600,8' is not W,CW,L (try 'quorvalen-report --help')\n"},
        {{"--layout", "6x0,8,16", good},
         "quorvalen-report: '6x0,8,16' is not W,CW,L (try 'quorvalen-report --help')\n"},
        {{"--clip", "--json", good},
         "quorvalen-report: only one of --layout, --clip, --json, --per-file may be given (try 'quorvalen-report "
         "--help')\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err);
        const RunResult r = run(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.err);
    }
}

TEST_F(ReportTest, HelpAndEndOfOptions) {
    const RunResult help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.substr(0, 41), "Usage: quorvalen-report [OPTION] FILE...\n");

    // After "--" a name that starts with a dash is a file.
    fs::copy_file(twoCircles(), dir / "-dash.dat");
    const std::string dashed = "-dash.dat";
    std::error_code ignored;
    const fs::path before = fs::current_path();
    fs::current_path(dir);
    const RunResult r = run({"--", dashed});
    fs::current_path(before, ignored);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(splitLines(r.out).size(), 38u);
}

}  // namespace
