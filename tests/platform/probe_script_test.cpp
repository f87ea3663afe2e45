// The probe program driven through quorvalen-headless's main() by scripts, as a person
// would use it; the transcripts are compared with what that person should see.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/headless/headless_desktop.h"

namespace qvtest {
namespace {

namespace fs = std::filesystem;

struct Session {
    std::vector<std::string> lines;  // the transcript, without its first (start) line
    std::string start;
    std::string errors;
    int exitCode = -1;

    bool has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
    // The expected lines appear in this order (other lines may come between them).
    bool inOrder(const std::vector<std::string>& expected) const {
        auto at = lines.begin();
        for (const std::string& e : expected) {
            at = std::find(at, lines.end(), e);
            if (at == lines.end()) return false;
            ++at;
        }
        return true;
    }
    std::string text() const {
        std::string all = start + "\n";
        for (const std::string& l : lines) all += l + "\n";
        return all + errors;
    }
};

std::string shellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

class ProbeTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() / ("qv-probe-" + std::string(info->name()) + "-" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    Session run(const std::string& script, const std::vector<std::string>& args = {}) const {
        fs::path input = folder / "script.txt";
        fs::path errors = folder / "errors.txt";
        std::ofstream(input) << script;
        std::string command = "cd " + shellQuote(folder.string()) + " && " + shellQuote(QV_PROBE_PATH);
        for (const std::string& a : args) command += " " + shellQuote(a);
        command += " < " + shellQuote(input.string()) + " 2> " + shellQuote(errors.string());
        Session r;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return r;
        std::string out;
        char chunk[4096];
        for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, n);
        int status = pclose(pipe);
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::istringstream in(out);
        std::getline(in, r.start);
        for (std::string line; std::getline(in, line);)
            if (!line.starts_with("file ")) r.lines.push_back(line);  // the script and error files
        std::ifstream err(errors);
        std::ostringstream e;
        e << err.rdbuf();
        r.errors = e.str();
        return r;
    }

    fs::path folder;
};

TEST_F(ProbeTest, StartsPaintsAndClosesAtTheEndOfInput) {
    Session r = run("");
    std::vector<std::string> expected = {
        "window w1 created class \"QUORVALEN\" title \"Quorvalen\" style 0x00CF0000 rect 0 0 648 528 client 640 480 menu 109",
        "paint w1 empty",  // the font measured during WM_CREATE
        "show w1 SW_SHOWDEFAULT",
        "paint w1 0 0 640 480 erase",
        "  0 0 \"client 640 x 480, font 8 x 16, paint 1\"",
        "end of input: clicking the close box of w1",
        "window w1 destroyed",
        "exit 0",
    };
    EXPECT_EQ(r.lines, expected) << r.text();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.start, "start command-line \"\\\"" + std::string(QV_PROBE_PATH) + "\\\"\" directory \"" +
                           fs::canonical(folder).string() + "\"");
}

TEST_F(ProbeTest, EveryWayOfClosingEndsTheProgram) {
    struct Case {
        const char* script;
        const char* args;
        int exitCode;
    } cases[] = {
        {"menu File/Exit\n", "", 0},
        {"alt F4\n", "", 0},
        {"close\n", "", 0},  // nothing opens a box after it: the window's close box
        {"close\nsize 100 100\n", "", 0},
        {"menu File/Exit\n", "exit=5", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        Session r = run(c.script, *c.args ? std::vector<std::string>{c.args} : std::vector<std::string>{});
        EXPECT_TRUE(r.inOrder({"window w1 destroyed", "exit " + std::to_string(c.exitCode)})) << r.text();
        EXPECT_FALSE(r.has("end of input: clicking the close box of w1")) << r.text();
        EXPECT_EQ(r.exitCode, c.exitCode);
    }
}

TEST_F(ProbeTest, AltCharactersGoThroughTheAcceleratorTable) {
    Session r = run("alt ?\nalt /\nalt x\nalt h\n");
    EXPECT_TRUE(r.inOrder({
        "> alt ?",
        "dialog 103 w2 owner w1 caption \"About\" at 22 17 size 230 75 style 0x00C800C0 font 8 \"System\"",
        "  control ICON Static id 2 icon 107 at 14 9 size 20 20 style 0x50000003",
        "  control LTEXT Static id -1 \"Quorvalen Version 2.0\" at 49 10 size 119 8 style 0x50020080",
        "dialog w2 answer ok (default)",
        "dialog w2 ended with 1",
        "messagebox owner w1 caption \"probe\" icon information text \"About returned 1 (high word 1)\"",
        "> alt /",
        "dialog w3 ended with 1",
        "> alt x",
        "beep MB_OK",
        "> alt h",
        "note: menu \"&Help\" of w1 opened by its mnemonic and closed again without a choice",
    })) << r.text();
}

TEST_F(ProbeTest, CloseWrittenBeforeABoxOpensAnswersIt) {
    Session r = run("esc\nmenu Help/About ...\nclose\nalt ?\nenter\n# the box after the dialog is the probe's own\nok\nalt /\nclose\n");
    EXPECT_TRUE(r.inOrder({"dialog w2 answer esc (queued)", "dialog w2 ended with 2", "> close",
                           "dialog w3 answer close (queued)", "dialog w3 ended with 2",
                           "dialog w4 answer enter (queued)", "dialog w4 ended with 1",
                           "messagebox answered ok (queued) -> IDOK", "> close", "window w1 destroyed", "exit 0"}))
        << r.text();
}

TEST_F(ProbeTest, OwnerIgnoresInputButRepaintsWhileABoxIsUp) {
    Session r = run("meanwhile menu File/Clear\nmeanwhile alt ?\nmeanwhile expose\nmenu Help/File format\n");
    EXPECT_TRUE(r.inOrder({
        "messagebox owner w1 caption (default) icon error text \"two\\nlines\"",
        "paint w1 0 0 640 480 erase",  // invalidated before the box: the owner repaints under it
        "  0 0 \"client 640 x 480, font 8 x 16, paint 2\"",
        "meanwhile: menu File/Clear",
        "ignored: the window is disabled while a modal box is up",
        "meanwhile: alt ?",
        "ignored: the window is disabled while a modal box is up",
        "meanwhile: expose",
        "paint w1 0 0 640 480 erase",
        "  0 0 \"client 640 x 480, font 8 x 16, paint 3\"",
        "messagebox answered ok (default) -> IDOK",
    })) << r.text();
    EXPECT_FALSE(r.has("dialog w2 answer ok (default)")) << r.text();
}

TEST_F(ProbeTest, SizeMinimizeAndRestore) {
    Session r = run("size 300 200\nminimize\nrestore\nmenu File/Save settings\n");
    EXPECT_TRUE(r.inOrder({"> size 300 200", "paint w1 0 0 300 200 erase",
                           "  0 0 \"client 300 x 200, font 8 x 16, paint 2\"", "> minimize", "> restore",
                           "paint w1 0 0 300 200 erase", "  0 0 \"client 300 x 200, font 8 x 16, paint 3\""}))
        << r.text();
    bool facts = false;
    for (const std::string& l : r.lines) facts |= l.find("text \"window 0 0 308 248 client 300 200") != std::string::npos;
    EXPECT_TRUE(facts) << r.text();
    // Without the redraw styles, shrinking uncovers nothing and paints nothing.
    Session plain = run("size 300 200\n", {"noredraw"});
    EXPECT_TRUE(plain.inOrder({"> size 300 200", "end of input: clicking the close box of w1"})) << plain.text();
    EXPECT_FALSE(plain.has("  0 0 \"client 300 x 200, font 8 x 16, paint 2\"")) << plain.text();
}

TEST_F(ProbeTest, OpenDialogAsTheCallerSeesIt) {
    struct Case {
        const char* script;
        const char* args;
        const char* seen;
    } cases[] = {
        {"pick /d a.dat\nmenu File/Open...\n", "", "returned 1, nFileOffset 3, buffer /d/a.dat|"},
        {"pick /d a.dat \"b c.dat\"\nmenu File/Open...\n", "", "returned 1, nFileOffset 3, buffer /d|a.dat|b c.dat|"},
        {"pick /d a.dat b.dat\nmenu File/Open...\n", "maxfile=15", "returned 0, first two bytes 16"},
        {"cancel\nmenu File/Open...\n", "", "returned 0, first two bytes 0"},
        {"menu File/Open...\n", "", "returned 0, first two bytes 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        Session r = run(c.script, *c.args ? std::vector<std::string>{c.args} : std::vector<std::string>{});
        EXPECT_TRUE(r.has("messagebox owner w1 caption \"probe\" icon information text \"" + std::string(c.seen) + "\""))
            << r.text();
        EXPECT_TRUE(r.has("opendialog owner w1 title \"Open a file\" filter \"Data Files\" \"*.dat\" initial \"" +
                          fs::canonical(folder).string() + "\" flags 0x00080200 nMaxFile " +
                          (*c.args ? "15" : "64")))
            << r.text();
    }
}

// The clipboard export's failure paths, with the exact bytes when it succeeds.
TEST_F(ProbeTest, ClipboardExportAndItsFailures) {
    struct Case {
        const char* fail;
        std::vector<std::string> expected;
    } cases[] = {
        {"", {"clipboard opened by w1", "clipboard emptied", "clipboard set CF_TEXT 6 bytes \"ab\\r\\n\\0\\xCD\"",
              "clipboard closed", "beep MB_OK", "exit 0"}},
        {"GlobalAlloc", {"GlobalAlloc failed (injected): 6 bytes", "beep MB_OK", "exit 0"}},
        {"GlobalLock", {"GlobalLock failed (injected): block 0x60000", "beep MB_OK", "exit 0"}},
        {"OpenClipboard", {"OpenClipboard failed (injected): another window holds the clipboard open", "beep MB_OK",
                           "exit 0"}},
        {"SetClipboardData", {"clipboard opened by w1", "clipboard emptied",
                              "SetClipboardData failed (injected): the clipboard did not take the block",
                              "clipboard closed", "beep MB_OK", "exit 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fail);
        std::string script = *c.fail ? "fail " + std::string(c.fail) + "\n" : "";
        Session r = run(script + "menu SaveClip\n");
        EXPECT_TRUE(r.inOrder(c.expected)) << r.text();
        EXPECT_FALSE(r.has("clipboard set CF_TEXT 6 bytes \"ab\\r\\n\\0\\xCD\"") && *c.fail) << r.text();
        for (const std::string& l : r.lines) EXPECT_FALSE(l.starts_with("! fault")) << l;
    }
}

TEST_F(ProbeTest, ProgramFaultsAreCaught) {
    struct Case {
        const char* args;
        const char* script;
        const char* fault;
    } cases[] = {
        {"freeclip", "menu SaveClip\n", "! fault: GlobalFree of the block the clipboard owns (refused)"},
        {"nopaint", "", "! fault: WM_PAINT of w1 left the update region invalid (no BeginPaint)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        Session r = run(c.script, {c.args});
        EXPECT_TRUE(r.inOrder({c.fault, "exit 0"})) << r.text();
    }
}

TEST_F(ProbeTest, ScriptErrorsStopTheRun) {
    struct Case {
        const char* script;
        const char* message;
    } cases[] = {
        {"jump\n", "line 1: unknown action \"jump\""},
        {"# fine\nmenu File/Nothing\n", "line 2: no menu command \"File/Nothing\""},
        {"size 10\n", "line 1: size needs a width and a height"},
        {"size 10 x\n", "line 1: a size must be a whole number from 0 to 32767, not \"x\""},
        {"alt\n", "line 1: alt takes one character, F4 or space"},
        {"fail malloc\n", "line 1: fail takes GlobalAlloc, GlobalLock, OpenClipboard or SetClipboardData"},
        {"pick /d\n", "line 1: pick needs a folder and at least one name"},
        {"ok now\n", "line 1: ok takes no arguments"},
        {"meanwhile ok\n", "line 1: meanwhile takes menu, alt, size, minimize, restore, expose or close"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        Session r = run(c.script);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_EQ(r.errors, "quorvalen-headless: " + std::string(c.message) + "\n");
        EXPECT_TRUE(r.has("! script error: " + std::string(c.message))) << r.text();
    }
}

TEST_F(ProbeTest, CommandLineAsTheShellBuildsItOrAsGiven) {
    Session quoted = run("", {"a", "b c", ""});
    EXPECT_TRUE(quoted.start.starts_with("start command-line \"\\\"" + std::string(QV_PROBE_PATH) +
                                         "\\\" a \\\"b c\\\" \\\"\\\"\""))
        << quoted.start;
    Session given = run("menu File/Save settings\n", {"--command-line", "\"/home/jane.doe/q.exe\" exit=4"});
    EXPECT_TRUE(given.start.starts_with("start command-line \"\\\"/home/jane.doe/q.exe\\\" exit=4\"")) << given.start;
    EXPECT_EQ(given.exitCode, 4);  // lpCmdLine carried the arguments
    bool shown = false;
    for (const std::string& l : given.lines)
        shown |= l.ends_with("command line \\\"/home/jane.doe/q.exe\\\" exit=4\"");
    EXPECT_TRUE(shown) << given.text();
}

TEST(FileWatchTest, ReportsFilesCreatedWrittenAndRemoved) {
    fs::path folder = fs::temp_directory_path() / ("qv-file-watch-" + std::to_string(getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::ofstream(folder / "old.txt") << "kept";
    qv::headless::FileWatch watch;
    watch.watch(folder.string());
    EXPECT_TRUE(watch.changes().empty());
    std::ofstream(folder / "q.ini") << "10 20 300 200\r\n";
    std::string ini = (fs::canonical(folder) / "q.ini").string();
    EXPECT_EQ(watch.changes(), std::vector<std::string>{"file created \"" + ini + "\" 15 bytes \"10 20 300 200\\r\\n\""});
    std::ofstream(folder / "q.ini") << "1 2 3 4\n";
    EXPECT_EQ(watch.changes(), std::vector<std::string>{"file written \"" + ini + "\" 8 bytes \"1 2 3 4\\n\""});
    fs::remove(folder / "q.ini");
    EXPECT_EQ(watch.changes(), std::vector<std::string>{"file removed \"" + ini + "\""});
    fs::remove_all(folder);
}

}  // namespace
}  // namespace qvtest
