// The whole program driven through the headless desktop as a person would use it: each
// test writes its data and settings files, runs quorvalen-headless on a script of actions
// and reads the transcript of what that person saw.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Session {
    int exitCode;
    std::string transcript;  // with the test's folder written as DIR
};

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The transcript lines that begin with any of the prefixes, in order.
std::vector<std::string> linesStartingWith(const std::string& transcript,
                                           const std::vector<std::string>& prefixes) {
    std::vector<std::string> kept;
    for (const std::string& line : linesOf(transcript)) {
        for (const std::string& prefix : prefixes) {
            if (line.starts_with(prefix)) {
                kept.push_back(line);
                break;
            }
        }
    }
    return kept;
}

// The text lines of the last paint of the main window: what the page shows at the end.
std::vector<std::string> lastPage(const std::string& transcript) {
    std::vector<std::string> page;
    for (const std::string& line : linesOf(transcript)) {
        if (line.starts_with("paint w1")) page.clear();
        else if (line.starts_with("  ") && !line.starts_with("  control")) page.push_back(line);
    }
    return page;
}

std::vector<std::string> lines(const Session& r) { return linesOf(r.transcript); }

bool contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// A file of n circles, n ellipses and n rectangles in micrometres.
std::string dataFile(const std::vector<const char*>& circles, int ellipses = 0, int rects = 0) {
    std::string text = "Transect\n0.000001\n" + std::to_string(circles.size()) + "\n";
    for (const char* d : circles) text += std::string(d) + "\n";
    text += std::to_string(ellipses) + "\n";
    for (int i = 0; i < ellipses; ++i) text += "40 25\n";
    text += std::to_string(rects) + "\n";
    for (int i = 0; i < rects; ++i) text += "30 20\n";
    return text;
}

const std::string HEADING = R"(  252 32 "Razizez Quorvalen")";

class Program : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = replaceAll(std::string(test->test_suite_name()) + "." + test->name(), "/", "_");
        root_ = fs::path(::testing::TempDir()) / ("quorvalen-program-" + name);
        fs::remove_all(root_);
        fs::create_directories(root_ / "work");
        fs::create_directories(root_ / "io");
        dir_ = (root_ / "work").string();
    }
    void TearDown() override {
        if (!HasFailure()) fs::remove_all(root_);
    }

    // The folder the program lives and runs in.
    const std::string& dir() const { return dir_; }
    std::string path(const std::string& name) const { return dir_ + "/" + name; }

    void write(const std::string& name, const std::string& text) const {
        fs::create_directories(fs::path(path(name)).parent_path());
        std::ofstream(path(name), std::ios::binary) << text;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    // The command line as the desktop's shell builds it for a program in the test's folder.
    std::string programCommandLine() const { return "\"" + path("quorvalen.exe") + "\" data.dat"; }

    // Runs the program in the test's folder on the script; the command line is the one a
    // desktop would build, or commandLine (with DIR for the test's folder) when given.
    Session run(const std::string& script, const std::string& commandLine = {}) const {
        std::string line = commandLine.empty() ? programCommandLine() : replaceAll(commandLine, "DIR", dir_);
        return runCommand("'" QUORVALEN_HEADLESS "' --command-line '" + line + "'", dir_, script);
    }

    // Runs the program as installed in the test's folder (a link to the built program),
    // with the command line the desktop builds for it.
    Session runInstalled(const std::string& script) const {
        fs::create_symlink(QUORVALEN_HEADLESS, path("quorvalen-headless"));
        return runCommand("'" + path("quorvalen-headless") + "'", dir_, script);
    }

    // Runs a program command in folder with the script on its standard input.
    Session runCommand(const std::string& program, const std::string& folder, const std::string& script) const {
        fs::path io = root_ / "io";
        std::ofstream(io / "script.txt") << script;
        std::string command = "cd '" + folder + "' && " + program + " < '" + (io / "script.txt").string() +
                              "' > '" + (io / "transcript.txt").string() + "' 2> '" +
                              (io / "stderr.txt").string() + "'";
        int status = std::system(command.c_str());
        std::ifstream in(io / "transcript.txt", std::ios::binary);
        std::string transcript{std::istreambuf_iterator<char>(in), {}};
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, replaceAll(transcript, dir_, "DIR")};
    }

private:
    fs::path root_;
    std::string dir_;
};

// ---------------------------------------------------------------- start-up and settings

TEST_F(Program, StartsWithTheHeadingAloneAndEndsWithExitCodeZero) {
    Session r = run("menu File/Exit\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.transcript,
              "start command-line \"\\\"DIR/quorvalen.exe\\\" data.dat\" directory \"DIR\"\n"
              "window w1 created class \"QUORVALEN\" title \"Quorvalen\" style 0x00CF0000 rect 0 0 648 528 "
              "client 640 480 menu 109\n"
              "paint w1 empty\n"  // the font is measured in a paint context during creation
              "show w1 SW_SHOWDEFAULT\n"
              "paint w1 0 0 640 480 erase\n" +
                  HEADING + "\n"
              "> menu File/Exit\n"
              "window w1 destroyed\n"
              "exit 0\n");
}

struct PlacementCase {
    const char* name;
    const char* settings;  // nullptr: no settings file
    const char* createdRect;
};

TEST_F(Program, RestoresTheWindowRectangleFromTheSettingsFile) {
    const PlacementCase cases[] = {
        {"no settings file", nullptr, "rect 0 0 648 528"},
        {"a good file", "10 20 300 200\n", "rect 10 20 310 220"},
        {"more than four values", "10 20 300 200 99 junk\n", "rect 10 20 310 220"},
        {"octal and hexadecimal", "010 0x20 0300 0X100\n", "rect 8 32 200 288"},
        {"negative position", "-8 -8 1936 1056\n", "rect -8 -8 1928 1048"},
        {"a short file", "10 20\n", "rect 0 0 648 528"},
        {"a word among the values", "10 20 abc 200\n", "rect 0 0 648 528"},
        {"a value beyond 32 bits", "10 20 300 4294967496\n", "rect 0 0 648 528"},
        {"an empty file", "", "rect 0 0 648 528"},
    };
    for (const PlacementCase& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(path("quorvalen.ini"));
        if (c.settings != nullptr) write("quorvalen.ini", c.settings);
        Session r = run("menu File/Exit\n");
        EXPECT_EQ(r.exitCode, 0);
        std::vector<std::string> created = linesStartingWith(r.transcript, {"window w1 created"});
        ASSERT_EQ(created.size(), 1u);
        EXPECT_NE(created[0].find(std::string(c.createdRect) + " client"), std::string::npos) << created[0];
        // Reading never writes: the file is left as it was.
        EXPECT_TRUE(linesStartingWith(r.transcript, {"file "}).empty()) << r.transcript;
        if (c.settings != nullptr) EXPECT_EQ(read("quorvalen.ini"), c.settings);
        else EXPECT_FALSE(fs::exists(path("quorvalen.ini")));
    }
}

TEST_F(Program, SaveSettingsWritesTheCurrentRectangleWhichTheNextStartRestores) {
    write("quorvalen.ini", "30 40 500 400\n");
    Session first = run("size 700 500\nmenu File/Save settings\nmenu File/Exit\n");
    EXPECT_EQ(first.exitCode, 0);
    // The outer rectangle: the client area plus the desktop's fixed frame, caption and menu.
    EXPECT_EQ(read("quorvalen.ini"), "30 40 708 548\n");
    EXPECT_EQ(linesStartingWith(first.transcript, {"file "}),
              std::vector<std::string>{R"(file written "DIR/quorvalen.ini" 14 bytes "30 40 708 548\n")"});

    Session second = run("menu File/Exit\n");
    EXPECT_NE(second.transcript.find("rect 30 40 738 588 client 700 500"), std::string::npos) << second.transcript;
}

struct SettingsPathCase {
    const char* name;
    const char* commandLine;  // DIR stands for the test's folder
    const char* settingsFile;  // where Save settings writes, relative to DIR
};

TEST_F(Program, KeepsTheSettingsFileBesideTheProgramWhateverTheCommandLine) {
    const SettingsPathCase cases[] = {
        {"a dot in a folder name", R"("DIR/jane.doe/quorvalen.exe" a.dat)", "jane.doe/quorvalen.ini"},
        {"arguments without a dot", R"("DIR/bin/quorvalen" one two)", "bin/quorvalen.ini"},
        {"an unquoted path", "DIR/bin/quorvalen.exe data.dat", "bin/quorvalen.ini"},
        {"a program without extension in a dotted folder", R"("DIR/v1.2/quorvalen")", "v1.2/quorvalen.ini"},
    };
    for (const SettingsPathCase& c : cases) {
        SCOPED_TRACE(c.name);
        write(c.settingsFile, "5 6 300 200\n");
        Session r = run("menu File/Save settings\nmenu File/Exit\n", c.commandLine);
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_NE(r.transcript.find("rect 5 6 305 206 client"), std::string::npos) << r.transcript;
        EXPECT_EQ(read(c.settingsFile), "5 6 300 200\n");
        EXPECT_EQ(linesStartingWith(r.transcript, {"file "}).size(), 1u) << r.transcript;
    }
    // Nothing was ever written beside the test's folder under a cut name.
    EXPECT_FALSE(fs::exists(path("jane.ini")));
    EXPECT_FALSE(fs::exists(path("v1.ini")));
}

TEST_F(Program, AnInstalledProgramKeepsItsSettingsBesideItself) {
    write("quorvalen-headless.ini", "12 34 400 300\n");
    Session r = runInstalled("size 500 350\nmenu File/Save settings\nmenu File/Exit\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.transcript.find("rect 12 34 412 334 client"), std::string::npos) << r.transcript;
    EXPECT_EQ(read("quorvalen-headless.ini"), "12 34 508 398\n");
}

TEST_F(Program, ACommandLineNamingNoProgramReadsAndWritesNoSettings) {
    Session r = run("menu File/Save settings\nmenu File/Exit\n", R"("" a.dat)");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(linesStartingWith(r.transcript, {"file "}).empty()) << r.transcript;
    EXPECT_FALSE(fs::exists(path(".ini")));
}

// ---------------------------------------------------------------- leaving

struct ExitCase {
    const char* name;
    const char* script;
};

TEST_F(Program, ExitAltF4AndTheCloseBoxEndTheProgramWithoutSaving) {
    const ExitCase cases[] = {
        {"Exit", "menu File/Exit\n"},
        {"Alt+F4", "size 500 300\nalt F4\n"},
        {"the close box", "size 500 300\nclose\n"},
        {"end of input", "size 500 300\n"},
    };
    for (const ExitCase& c : cases) {
        SCOPED_TRACE(c.name);
        write("quorvalen.ini", "1 2 300 200\n");
        Session r = run(c.script);
        EXPECT_EQ(r.exitCode, 0);
        std::vector<std::string> last = linesOf(r.transcript);
        ASSERT_GE(last.size(), 2u);
        EXPECT_EQ(last[last.size() - 2], "window w1 destroyed");
        EXPECT_EQ(last.back(), "exit 0");
        EXPECT_EQ(read("quorvalen.ini"), "1 2 300 200\n");
        EXPECT_TRUE(linesStartingWith(r.transcript, {"file ", "! "}).empty()) << r.transcript;
    }
}

// ---------------------------------------------------------------- commands

TEST_F(Program, FileFormatShowsTheFormatInAnInformationBox) {
    Session r = run("menu Help/File format\nmenu File/Exit\n");
    EXPECT_EQ(linesStartingWith(r.transcript, {"messagebox"}),
              (std::vector<std::string>{
                  R"(messagebox owner w1 caption "File format" icon information text "Set_name\nScale_factor\n)"
                  R"(Circular count\nDiameter\n    ---    \nElliptical count\nMajor_axis Minor_axis\n)"
                  R"(    ---        ---\nRectangular count\nRadial_side Tangential_side\n    ---        ---\n")",
                  "messagebox answered ok (default) -> IDOK"}));
}

struct AboutCase {
    const char* name;
    const char* script;
    const char* ended;
};

TEST_F(Program, TheAboutBoxOpensThreeWaysAndClosesFourWays) {
    const AboutCase cases[] = {
        {"menu, OK", "ok\nmenu Help/About ...\n", "dialog w2 ended with 1"},
        {"Alt+?, Enter", "enter\nalt ?\n", "dialog w2 ended with 1"},
        {"Alt+/, Esc", "esc\nalt /\n", "dialog w2 ended with 2"},
        {"menu, close box", "close\nmenu Help/About ...\n", "dialog w2 ended with 2"},
    };
    for (const AboutCase& c : cases) {
        SCOPED_TRACE(c.name);
        Session r = run(std::string(c.script) + "menu File/Exit\n");
        EXPECT_EQ(r.exitCode, 0);
        std::vector<std::string> dialog = linesStartingWith(r.transcript, {"dialog"});
        ASSERT_EQ(dialog.size(), 3u) << r.transcript;
        EXPECT_EQ(dialog[0], R"(dialog 103 w2 owner w1 caption "About" at 22 17 size 230 75 style 0x00C800C0 font 8 "System")");
        EXPECT_EQ(dialog[2], c.ended);
        EXPECT_NE(r.transcript.find(R"(control LTEXT Static id -1 "Quorvalen Version 2.0" at 49 10)"), std::string::npos);
        // The main window keeps its page and asks for no repaint of its own.
        EXPECT_EQ(linesStartingWith(r.transcript, {"paint w1"}).size(), 2u) << r.transcript;
    }
}

TEST_F(Program, WhileTheAboutBoxIsUpTheMainWindowTakesNoCommands) {
    Session r = run("meanwhile menu File/Exit\nmeanwhile alt ?\nmeanwhile menu File/Clear\nesc\nalt ?\n"
                "menu Help/File format\nmenu File/Exit\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(linesStartingWith(r.transcript, {"ignored", "dialog 103", "dialog w", "messagebox owner", "window w1 destroyed"}),
              (std::vector<std::string>{
                  R"(dialog 103 w2 owner w1 caption "About" at 22 17 size 230 75 style 0x00C800C0 font 8 "System")",
                  "ignored: the window is disabled while a modal box is up",
                  "ignored: the window is disabled while a modal box is up",
                  "ignored: the window is disabled while a modal box is up",
                  "dialog w2 answer esc (queued)", "dialog w2 ended with 2",
                  R"(messagebox owner w1 caption "File format" icon information text "Set_name\nScale_factor\nCircular count\nDiameter\n    ---    \nElliptical count\nMajor_axis Minor_axis\n    ---        ---\nRectangular count\nRadial_side Tangential_side\n    ---        ---\n")",
                  "window w1 destroyed"}));
}

TEST_F(Program, ThePageFollowsTheWindowWidthThroughMinimiseAndRestore) {
    Session r = run("size 320 200\nminimize\nrestore\nmenu File/Exit\n");
    // (320 - 17 * 8) / 2 = 92 after the size change and again after restoring.
    std::vector<std::string> paints = linesStartingWith(r.transcript, {"paint w1", "  "});
    EXPECT_EQ(paints, (std::vector<std::string>{"paint w1 empty", "paint w1 0 0 640 480 erase", HEADING,
                                                "paint w1 0 0 320 200 erase", R"(  92 32 "Razizez Quorvalen")",
                                                "paint w1 0 0 320 200 erase", R"(  92 32 "Razizez Quorvalen")"}));
}

// ---------------------------------------------------------------- Open and Clear

TEST_F(Program, OpenCancelledLoadsNothingButRepaints) {
    Session r = run("cancel\nmenu File/Open...\nmenu File/Exit\n");
    EXPECT_EQ(linesStartingWith(r.transcript, {"opendialog", "paint w1", "messagebox"}),
              (std::vector<std::string>{
                  "paint w1 empty", "paint w1 0 0 640 480 erase",
                  R"(opendialog owner w1 title "Open a file" filter "Data Files" "*.dat" initial "DIR" flags 0x00080200 nMaxFile 2600)",
                  "opendialog answer cancel (queued)", "opendialog returned 0",
                  "paint w1 0 0 640 480 erase"}));
    EXPECT_EQ(lastPage(r.transcript), std::vector<std::string>{HEADING});
}

TEST_F(Program, OneFileIsLoadedFromItsFullPathAndShownInFull) {
    write("data/oak.dat", dataFile({"8.25", "123.45"}));
    Session r = run("pick data oak.dat\nmenu File/Open...\nmenu SaveClip\nmenu File/Exit\n");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(linesStartingWith(r.transcript, {"messagebox"}).empty()) << r.transcript;
    std::vector<std::string> page = lastPage(r.transcript);
    ASSERT_EQ(page.size(), 38u) << r.transcript;
    EXPECT_EQ(page[1], R"(  276 64 "1 file read")");
    EXPECT_TRUE(contains(page, R"(  232 224 "Number of elements : 2")")) << r.transcript;
    EXPECT_TRUE(contains(page, R"(  232 192 "Narrowest = 8.250e-006")")) << r.transcript;
    EXPECT_TRUE(contains(lines(r), R"(clipboard set CF_TEXT 17 bytes "  8.25\r\n123.45\r\n\0")")) << r.transcript;
}

TEST_F(Program, ThreeFilesWithTheSecondMalformedReportItAndAccumulateTheOthers) {
    write("a.dat", dataFile({"10"}));
    write("b.dat", dataFile({"20", "x"}));
    write("c.dat", dataFile({"30"}));
    Session r = run("pick . a.dat b.dat c.dat\nmenu File/Open...\nmenu SaveClip\nmenu File/Exit\n");
    EXPECT_EQ(linesStartingWith(r.transcript, {"opendialog returned", "messagebox", "clipboard set"}),
              (std::vector<std::string>{
                  R"(opendialog returned 1 buffer "DIR\0a.dat\0b.dat\0c.dat\0\0" nFileOffset )" +
                      std::to_string(dir().size() + 1),
                  // Folder and name are joined with "/" on Linux.
                  R"(messagebox owner w1 caption (default) icon error text "Data file DIR/b.dat, line 5")",
                  "messagebox answered ok (default) -> IDOK",
                  R"(clipboard set CF_TEXT 17 bytes " 10.00\r\n 30.00\r\n\0")"}));
    std::vector<std::string> page = lastPage(r.transcript);
    ASSERT_EQ(page.size(), 38u);
    EXPECT_EQ(page[1], R"(  272 64 "2 files read")");
}

TEST_F(Program, WhenTheLastFileFailsNoResultsAreShownUntilTheNextGoodOne) {
    write("a.dat", dataFile({"10"}));
    write("b.dat", dataFile({"20"}));
    write("c.dat", "Transect\n2.0\n0\n0\n0\n");  // a scale factor above 1 is refused at line 2
    write("d.dat", dataFile({"40"}));
    Session r = run("pick . a.dat b.dat c.dat\nmenu File/Open...\nmenu SaveClip\n"
                "pick . d.dat\nmenu File/Open...\nmenu SaveClip\nmenu File/Exit\n");
    EXPECT_EQ(linesStartingWith(r.transcript, {"messagebox owner", "clipboard set", "beep", "  252", "  272", "  276"}),
              (std::vector<std::string>{
                  HEADING,
                  R"(messagebox owner w1 caption (default) icon error text "Data file DIR/c.dat, line 2")",
                  HEADING,  // after the Open: the heading alone
                  R"(messagebox owner w1 caption (default) icon information text "No data to copy")",
                  HEADING, R"(  272 64 "3 files read")",
                  R"(clipboard set CF_TEXT 25 bytes " 10.00\r\n 20.00\r\n 40.00\r\n\0")", "beep MB_OK"}));
}

TEST_F(Program, ACurrentFolderTooDeepForTheInitialFolderLeavesTheDialogToChoose) {
    // More than 260 characters: the folder cannot be given whole, and a cut one would be wrong.
    std::string deep = std::string(100, 'd') + "/" + std::string(100, 'e') + "/" + std::string(100, 'f');
    write(deep + "/a.dat", dataFile({"10"}));
    Session r = runCommand("'" QUORVALEN_HEADLESS "' --command-line '\"" + path("quorvalen.exe") + "\"'",
                           path(deep), "pick . a.dat\nmenu File/Open...\nmenu File/Exit\n");
    std::vector<std::string> dialog = linesStartingWith(r.transcript, {"opendialog owner"});
    ASSERT_EQ(dialog.size(), 1u) << r.transcript;
    EXPECT_NE(dialog[0].find(" initial (none) "), std::string::npos) << dialog[0];
    EXPECT_TRUE(linesStartingWith(r.transcript, {"messagebox"}).empty()) << r.transcript;
    EXPECT_EQ(lastPage(r.transcript).at(1), R"(  276 64 "1 file read")");
}

TEST_F(Program, ASelectionTooLongForTheBufferLoadsAndReportsNothing) {
    std::string names;
    for (int i = 0; i < 30; ++i) names += " " + std::string(90, static_cast<char>('a' + i % 26)) + std::to_string(i) + ".dat";
    Session r = run("pick ." + names + "\nmenu File/Open...\nmenu File/Exit\n");
    EXPECT_EQ(r.exitCode, 0);
    std::vector<std::string> returned = linesStartingWith(r.transcript, {"opendialog returned"});
    ASSERT_EQ(returned.size(), 1u) << r.transcript;
    EXPECT_TRUE(returned[0].starts_with("opendialog returned 0")) << returned[0];
    EXPECT_TRUE(linesStartingWith(r.transcript, {"messagebox"}).empty()) << r.transcript;
    EXPECT_EQ(lastPage(r.transcript), std::vector<std::string>{HEADING});
}

TEST_F(Program, ATypedNameOfAMissingFileIsReportedAsNotFound) {
    Session r = run("type nothere.dat\nmenu File/Open...\nmenu File/Exit\n");
    EXPECT_EQ(linesStartingWith(r.transcript, {"messagebox owner"}),
              std::vector<std::string>{
                  R"(messagebox owner w1 caption (default) icon error text "Cannot find file DIR/nothere.dat")"});
    EXPECT_EQ(lastPage(r.transcript), std::vector<std::string>{HEADING});
}

TEST_F(Program, ClearForgetsEverythingLoaded) {
    write("a.dat", dataFile({"10"}));
    write("b.dat", dataFile({"20"}));
    Session r = run("menu File/Clear\npick . a.dat\nmenu File/Open...\nmenu File/Clear\nmenu SaveClip\n"
                "pick . b.dat\nmenu File/Open...\nmenu SaveClip\nmenu File/Exit\n");
    EXPECT_EQ(linesStartingWith(r.transcript, {"> menu File/Clear", "paint w1", "messagebox owner", "clipboard set", "  276"}),
              (std::vector<std::string>{
                  "paint w1 empty", "paint w1 0 0 640 480 erase",
                  "> menu File/Clear", "paint w1 0 0 640 480 erase",  // nothing loaded: repainted all the same
                  "paint w1 0 0 640 480 erase", R"(  276 64 "1 file read")",
                  "> menu File/Clear", "paint w1 0 0 640 480 erase",
                  R"(messagebox owner w1 caption (default) icon information text "No data to copy")",
                  "paint w1 0 0 640 480 erase", R"(  276 64 "1 file read")",
                  R"(clipboard set CF_TEXT 9 bytes " 20.00\r\n\0")"}));
}

// ---------------------------------------------------------------- SaveClip

struct SaveClipCase {
    const char* name;
    const char* failure;  // the outside call made to fail, or ""
    std::vector<std::string> expected;
};

TEST_F(Program, SaveClipInEveryCaseOfItsFailureTable) {
    write("oak.dat", dataFile({"8.25", "123.45"}));
    const SaveClipCase cases[] = {
        {"success", "",
         {"clipboard opened by w1", "clipboard emptied",
          R"(clipboard set CF_TEXT 17 bytes "  8.25\r\n123.45\r\n\0")", "clipboard closed", "beep MB_OK"}},
        {"the block cannot be allocated", "GlobalAlloc",
         {"GlobalAlloc failed (injected): 17 bytes", "beep MB_OK"}},
        {"the block cannot be locked", "GlobalLock",
         {"GlobalLock failed (injected): block 0x60000", "beep MB_OK"}},
        {"the clipboard cannot be opened", "OpenClipboard",
         {"OpenClipboard failed (injected): another window holds the clipboard open", "beep MB_OK"}},
        {"the clipboard does not take the block", "SetClipboardData",
         {"clipboard opened by w1", "clipboard emptied",
          "SetClipboardData failed (injected): the clipboard did not take the block", "clipboard closed",
          "beep MB_OK"}},
    };
    for (const SaveClipCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string fail = *c.failure ? std::string("fail ") + c.failure + "\n" : "";
        Session r = run("pick . oak.dat\nmenu File/Open...\n" + fail + "menu SaveClip\nmenu File/Exit\n");
        EXPECT_EQ(r.exitCode, 0);
        std::vector<std::string> seen = linesStartingWith(r.transcript, {"clipboard", "Global", "OpenClipboard",
                                                                         "SetClipboardData", "beep", "messagebox", "! "});
        EXPECT_EQ(seen, c.expected) << r.transcript;  // "! " would be a block never freed
    }
}

TEST_F(Program, SaveClipOfAFileWithoutShapesCopiesTheTerminatorAlone) {
    write("empty.dat", dataFile({}));
    Session r = run("pick . empty.dat\nmenu File/Open...\nmenu SaveClip\nmenu File/Exit\n");
    EXPECT_TRUE(contains(lines(r), R"(clipboard set CF_TEXT 1 bytes "\0")")) << r.transcript;
    EXPECT_TRUE(contains(lines(r), "beep MB_OK"));
}

TEST_F(Program, SaveClipSizesItsBlockToTheTextWhenAValueIsAMillimetreOrMore) {
    // A line of 9 bytes: eight per value and one for the NUL would leave no room for it.
    write("wide.dat", dataFile({"1234.5", "25"}));
    Session r = run("pick . wide.dat\nmenu File/Open...\nmenu SaveClip\nmenu File/Exit\n");
    EXPECT_TRUE(contains(lines(r), R"(clipboard set CF_TEXT 18 bytes "1234.50\r\n 25.00\r\n\0")")) << r.transcript;
}

TEST_F(Program, SaveClipRefusesThirtyThousandCellsBeforeLookingAtTheData) {
    // Ten files of a thousand shapes of each kind: 30000 values, one more than the list holds.
    std::string names;
    for (int i = 0; i < 10; ++i) {
        std::string name = "big" + std::to_string(i) + ".dat";
        write(name, dataFile(std::vector<const char*>(1000, "50"), 1000, 1000));
        names += " " + name;
    }
    write("bad.dat", "Transect\nx\n");
    Session r = run("pick ." + names + "\nmenu File/Open...\nmenu SaveClip\n"
                "pick . bad.dat\nmenu File/Open...\nmenu SaveClip\nmenu File/Exit\n");
    // The list's own note while loading (caption "Note") is the analysis core's; the rest is SaveClip's.
    std::vector<std::string> saveClip;
    for (const std::string& line : linesStartingWith(r.transcript, {"messagebox owner", "beep", "clipboard"}))
        if (!line.starts_with(R"(messagebox owner w1 caption "Note")")) saveClip.push_back(line);
    const std::string tooMany = R"(messagebox owner w1 caption (default) icon warning text "Too many cells for SaveClip")";
    EXPECT_EQ(saveClip, (std::vector<std::string>{
                            tooMany,
                            R"(messagebox owner w1 caption (default) icon error text "Data file DIR/bad.dat, line 2")",
                            tooMany}))
        << r.transcript;
}

// ---------------------------------------------------------------- the example session

TEST_F(Program, TheExampleSessionRunsCleanOverTheExampleData) {
    std::ifstream in(QUORVALEN_SOURCE_DIR "/examples/session.txt");
    std::string script{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(script.empty());
    Session r = runCommand("'" QUORVALEN_HEADLESS "' --command-line '\"" + path("quorvalen.exe") + "\"'",
                           QUORVALEN_SOURCE_DIR, script);
    EXPECT_EQ(r.exitCode, 0);
    // Every answer used, no fault, nothing written.
    EXPECT_TRUE(linesStartingWith(r.transcript, {"! ", "note:", "ignored", "file "}).empty()) << r.transcript;
    std::vector<std::string> errors;
    for (const std::string& line : linesStartingWith(r.transcript, {"messagebox owner"}))
        if (line.find("icon error") != std::string::npos) errors.push_back(line);
    EXPECT_EQ(errors.size(), 1u) << r.transcript;  // the malformed example alone
    EXPECT_EQ(linesStartingWith(r.transcript, {"clipboard set"}).size(), 2u) << r.transcript;
}

}  // namespace
