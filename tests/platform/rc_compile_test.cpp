// The resource script reader: what it makes of the statements it knows, and that it stops
// the build, with the line, on anything else.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace qvtest {
namespace {

namespace fs = std::filesystem;

struct Compiled {
    int exitCode;
    std::string errors;
    std::string source;
};

class RcCompileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("qv-rc-" + std::to_string(getpid()) + "-" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        std::ofstream(folder / "ids.h") << "#define IDM_A 40001\n#define IDD_X 7\n#define IDS_ONE 5\n";
    }
    void TearDown() override { fs::remove_all(folder); }

    Compiled compile(const std::string& script, const std::string& options = "") const {
        std::ofstream(folder / "test.rc") << script;
        std::string command = std::string(QV_PYTHON) + " " + QUORVALEN_SOURCE_DIR "/platform/rc/rc_compile.py --rc " +
                              (folder / "test.rc").string() + " --win32-header " QUORVALEN_SOURCE_DIR
                              "/platform/win32.h --output " + (folder / "out.cpp").string() + " " + options +
                              " 2> " + (folder / "errors.txt").string();
        int status = std::system(command.c_str());
        Compiled c{WIFEXITED(status) ? WEXITSTATUS(status) : -1, read("errors.txt"), read("out.cpp")};
        return c;
    }

    std::string read(const char* name) const {
        std::ifstream in(folder / name);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path folder;
};

TEST_F(RcCompileTest, RefusesWhatItDoesNotUnderstand) {
    struct Case {
        const char* script;
        const char* message;
    } cases[] = {
        {"1 BITMAP \"x.bmp\"\n", "test.rc:1: resource type BITMAP is not supported"},
        {"#include \"ids.h\"\n1 MENU\nBEGIN\n  MENUITEM \"A\", IDM_A, GRAYED\nEND\n",
         "test.rc:4: menu item options (GRAYED, CHECKED ...) are not supported"},
        {"1 MENU\nBEGIN\n  POPUP \"A\"\n  BEGIN\n    MENUBARBREAK\n  END\nEND\n",
         "test.rc:5: menu statement not understood: MENUBARBREAK"},
        {"1 DIALOG 0, 0, 10, 10\nBEGIN\n  EDITTEXT 5, 1, 1, 1, 1\nEND\n",
         "test.rc:3: dialog control EDITTEXT is not supported"},
        {"1 DIALOG 0, 0, 10, 10\nMENU 3\nBEGIN\nEND\n", "test.rc:2: dialog statement MENU is not supported"},
        {"STRINGTABLE\nBEGIN\n  NOPE \"x\"\nEND\n", "line 3: NOPE is not defined"},
        {"1 ICON \"missing.ico\"\n", "cannot be read"},
        {"1 ACCELERATORS\nBEGIN\n  \"ab\", 5, ASCII, ALT\nEND\n", "test.rc:3: accelerator key \"ab\" is not one character"},
        {"1 ACCELERATORS\nBEGIN\n  \"a\", 5, FAST\nEND\n", "test.rc:3: accelerator option FAST is not known"},
        {"1 MENU\nBEGIN\n", "the script ends in the middle of a statement"},
        {"STRINGTABLE\nBEGIN\n  5 \"a\"\n  5 \"b\"\nEND\n", "string 5 is defined twice"},
        {"#define X 1\n", "test.rc:1: directive not understood: #define X 1"},
        {"LANGUAGE LANG_FRENCH, SUBLANG_FRENCH\n", "language LANG_FRENCH, SUBLANG_FRENCH is not known here"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        Compiled r = compile(c.script);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE(r.errors.find(c.message), std::string::npos) << r.errors;
        EXPECT_TRUE(r.errors.starts_with("rc_compile: error: ")) << r.errors;
    }
}

TEST_F(RcCompileTest, IconFilesAreCheckedAndMissingOnesMayBeAllowed) {
    std::ofstream(folder / "bad.ico") << "not an icon";
    Compiled bad = compile("1 ICON \"bad.ico\"\n");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.errors.find("not an icon file (bad header)"), std::string::npos) << bad.errors;
    Compiled allowed = compile("1 ICON \"missing.ico\"\n", "--allow-missing-icons");
    EXPECT_EQ(allowed.exitCode, 0);
    EXPECT_NE(allowed.errors.find("warning: icon file"), std::string::npos) << allowed.errors;
    EXPECT_NE(allowed.source.find("{1, \"missing.ico\", icon1Bytes, 0, icon1Images, 0}"), std::string::npos);
}

// Default styles as the resource compiler gives them, expressions, quotes and keys.
TEST_F(RcCompileTest, TablesCarryDefaultsAndWrittenValues) {
    Compiled r = compile(
        "#include \"ids.h\"\n"
        "LANGUAGE LANG_NEUTRAL, SUBLANG_NEUTRAL\n"
        "IDD_X DIALOG 1, 2, 30, 40\n"
        "CAPTION \"Say \"\"hi\"\"\"\n"
        "BEGIN\n"
        "  CTEXT \"c\", 10, 1, 1, 5, 5\n"
        "  RTEXT \"r\", 11, 1, 1, 5, 5, NOT WS_GROUP\n"
        "  PUSHBUTTON \"p\", IDCANCEL, 1, 1, 5, 5, WS_GROUP | SS_NOPREFIX\n"
        "  ICON 3, -1, 2, 2\n"
        "END\n"
        "2 ACCELERATORS\n"
        "BEGIN\n"
        "  \"^C\", IDM_A\n"
        "  115, 9, VIRTKEY, ALT\n"
        "END\n"
        "STRINGTABLE\n"
        "BEGIN\n"
        "  IDS_ONE, \"tab\\there\"\n"
        "END\n");
    ASSERT_EQ(r.exitCode, 0) << r.errors;
    const char* expected[] = {
        // No STYLE: WS_POPUP | WS_BORDER | WS_SYSMENU, and CAPTION adds WS_CAPTION.
        "{7, 0x80C80000u, 0x00000000u, 1, 2, 30, 40, \"Say \\\"hi\\\"\", 0, \"\", dialog7Controls, 4}",
        "{\"CTEXT\", \"Static\", \"c\", 0, 10, 1, 1, 5, 5, 0x50020001u, 0x00000000u}",
        "{\"RTEXT\", \"Static\", \"r\", 0, 11, 1, 1, 5, 5, 0x50000002u, 0x00000000u}",
        "{\"PUSHBUTTON\", \"Button\", \"p\", 0, 2, 1, 1, 5, 5, 0x50030080u, 0x00000000u}",
        "{\"ICON\", \"Static\", \"\", 3, -1, 2, 2, 0, 0, 0x50000003u, 0x00000000u}",
        "{static_cast<BYTE>(0), 3, 40001}",
        "{static_cast<BYTE>(FVIRTKEY | FALT), 115, 9}",
        "{5, \"tab\\011here\"}",
        "tables{0x0000,",
    };
    for (const char* e : expected) EXPECT_NE(r.source.find(e), std::string::npos) << e << "\n" << r.source;
}

}  // namespace
}  // namespace qvtest
