// The Open dialog's result as the caller's buffer holds it, the current folder's return
// convention, and the resources as the program loads them.
#include <cstring>
#include <filesystem>

#include "tests/platform/desktop_fixture.h"

namespace qvtest {
namespace {

using OpenDialogTest = DesktopTest;
using KernelTest = DesktopTest;

constexpr DWORD MULTI = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_NOCHANGEDIR;

struct OpenCase {
    const char* what;
    const char* answer;  // queued before the dialog opens; empty: none
    DWORD maxFile;
    DWORD flags;
    BOOL result;
    std::string buffer;  // the bytes written, terminators included
    WORD fileOffset;
};

const OpenCase OPEN_CASES[] = {
    {"one file", "pick /data/set a.dat", 64, MULTI, TRUE, std::string("/data/set/a.dat\0", 16), 10},
    {"several files", "pick /data/set a.dat b.dat c.dat", 64, MULTI, TRUE,
     std::string("/data/set\0a.dat\0b.dat\0c.dat\0\0", 29), 10},
    {"several in the root folder", "pick / a.dat b.dat", 64, MULTI, TRUE, std::string("/\0a.dat\0b.dat\0\0", 15), 2},
    {"folder written with a slash", "pick /data/set/ a.dat b.dat", 64, MULTI, TRUE,
     std::string("/data/set\0a.dat\0b.dat\0\0", 23), 10},
    {"names with spaces", "pick /d \"x y.dat\" z.dat", 64, MULTI, TRUE, std::string("/d\0x y.dat\0z.dat\0\0", 18), 3},
    {"relative folder, from the initial one", "pick set a.dat", 64, MULTI, TRUE,
     std::string("/data/set/a.dat\0", 16), 10},
    {"folder with . and .. steps", "pick /data/./x/../set a.dat b.dat", 64, MULTI, TRUE,
     std::string("/data/set\0a.dat\0b.dat\0\0", 23), 10},
    {"typed name with ..", "type ../x.dat", 64, MULTI, TRUE, std::string("/x.dat\0", 7), 1},
    {"typed full path", "type /elsewhere/x.dat", 64, MULTI, TRUE, std::string("/elsewhere/x.dat\0", 17), 11},
    {"typed name, in the initial folder", "type missing.dat", 64, MULTI, TRUE, std::string("/data/missing.dat\0", 18),
     6},
    {"cancelled", "cancel", 64, MULTI, FALSE, "", 0},
    {"no answer queued", "", 64, MULTI, FALSE, "", 0},
    {"one file, exactly fits", "pick /data/set a.dat", 16, MULTI, TRUE, std::string("/data/set/a.dat\0", 16), 10},
    {"one file, one too long", "pick /data/set a.dat", 15, MULTI, FALSE, std::string("\x10\0", 2), 0},
    {"several, exactly fit", "pick /d aaaa.dat bbbb.dat", 22, MULTI, TRUE,
     std::string("/d\0aaaa.dat\0bbbb.dat\0\0", 22), 3},
    {"several, one too long", "pick /d aaaa.dat bbbb.dat", 21, MULTI, FALSE, std::string("\x16\0", 2), 0},
    {"several where only one is allowed", "pick /d a.dat b.dat", 64, OFN_EXPLORER | OFN_NOCHANGEDIR, FALSE, "", 0},
};

TEST_F(OpenDialogTest, WritesTheSelectionAsWin32Does) {
    for (const OpenCase& c : OPEN_CASES) {
        SCOPED_TRACE(c.what);
        if (*c.answer) desktop.perform(c.answer);
        char buffer[64];
        std::memset(buffer, 0, sizeof buffer);
        OPENFILENAMEA ofn{};
        ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
        ofn.lpstrFilter = "Data Files\0*.dat\0";
        ofn.lpstrFile = buffer;
        ofn.nMaxFile = c.maxFile;
        ofn.lpstrInitialDir = "/data";
        ofn.Flags = c.flags;
        EXPECT_EQ(GetOpenFileNameA(&ofn), c.result);
        EXPECT_EQ(std::string(buffer, c.buffer.size()), c.buffer);
        if (c.result) {
            EXPECT_EQ(ofn.nFileOffset, c.fileOffset);
        }
        // Nothing past what was written.
        for (std::size_t i = c.buffer.size(); i < sizeof buffer; ++i) ASSERT_EQ(buffer[i], '\0') << "byte " << i;
    }
}

TEST_F(OpenDialogTest, TranscriptShowsTheRequestAndTheAnswer) {
    desktop.perform("pick /d a.dat b.dat");
    char buffer[2600] = {};
    OPENFILENAMEA ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.lpstrFilter = "Data Files\0*.dat\0";
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = sizeof buffer;
    ofn.lpstrInitialDir = "/data";
    ofn.lpstrTitle = "Open a file";
    ofn.Flags = MULTI;
    GetOpenFileNameA(&ofn);
    EXPECT_TRUE(saw("opendialog owner none title \"Open a file\" filter \"Data Files\" \"*.dat\" initial \"/data\" "
                    "flags 0x00080208 nMaxFile 2600"));
    EXPECT_TRUE(saw("opendialog answer pick \"/d\" \"a.dat\" \"b.dat\" (queued)"));
    EXPECT_TRUE(saw("opendialog returned 1 buffer \"/d\\0a.dat\\0b.dat\\0\\0\" nFileOffset 3"));
    // Too long for the buffer: the failure is said.
    ofn.nMaxFile = 10;
    desktop.perform("pick /d a.dat b.dat");
    EXPECT_EQ(GetOpenFileNameA(&ofn), FALSE);
    EXPECT_TRUE(saw("opendialog returned 0: the selection needs 16 characters; nMaxFile is 10 (FNERR_BUFFERTOOSMALL)"));
    // Without an answer the dialog is cancelled, and the transcript says so.
    EXPECT_EQ(GetOpenFileNameA(&ofn), FALSE);
    EXPECT_TRUE(saw("opendialog answer cancel (default)"));
}

TEST_F(OpenDialogTest, RefusesAStructureOfUnknownSize) {
    char buffer[16] = {};
    OPENFILENAMEA ofn{};
    ofn.lStructSize = 76;  // the 32-bit size: not this structure
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = sizeof buffer;
    EXPECT_EQ(GetOpenFileNameA(&ofn), FALSE);
    ofn.lStructSize = sizeof ofn;
    EXPECT_EQ(GetOpenFileNameA(&ofn), FALSE);  // cancelled by default, but accepted
    EXPECT_TRUE(saw("opendialog answer cancel (default)"));
}

// Without OFN_NOCHANGEDIR the process is left in the chosen files' folder.
TEST_F(OpenDialogTest, ChoosingMovesTheCurrentFolder) {
    namespace fs = std::filesystem;
    fs::path before = fs::current_path();
    fs::path folder = fs::temp_directory_path() / "qv-open-dialog-test";
    fs::create_directories(folder);
    desktop.perform("pick " + folder.string() + " a.dat b.dat");
    char buffer[512] = {};
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = sizeof buffer;
    ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT;
    EXPECT_EQ(GetOpenFileNameA(&ofn), TRUE);
    EXPECT_EQ(fs::current_path(), folder);
    char cwd[512];
    EXPECT_EQ(GetCurrentDirectoryA(sizeof cwd, cwd), folder.string().size());
    EXPECT_EQ(std::string(cwd), folder.string());
    fs::current_path(before);
}

TEST_F(KernelTest, CurrentDirectoryReturnsLengthOrSizeNeeded) {
    std::string cwd = std::filesystem::current_path().string();
    auto length = static_cast<DWORD>(cwd.size());
    struct Case {
        DWORD size;
        DWORD returned;
        bool written;
    } cases[] = {{0, length + 1, false}, {length, length + 1, false}, {length + 1, length, true}, {length + 50, length, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        std::string buffer(length + 50, 'x');
        EXPECT_EQ(GetCurrentDirectoryA(c.size, buffer.data()), c.returned);
        EXPECT_EQ(buffer.starts_with(cwd + '\0'), c.written);
        if (!c.written) {
            EXPECT_EQ(buffer, std::string(length + 50, 'x'));
        }
    }
    EXPECT_EQ(GetCurrentDirectoryA(0, nullptr), length + 1);
}

TEST_F(KernelTest, CommandLineComesFromTheDesktop) {
    EXPECT_STREQ(GetCommandLineA(), "\"/opt/quorvalen/quorvalen.exe\" one");
    EXPECT_EQ(GetCommandLineA(), GetCommandLineA());  // one buffer for the process
}

TEST_F(KernelTest, StringsAreLoadedWithinTheBuffer) {
    struct Case {
        UINT id;
        int size;
        int returned;
        const char* text;
    } cases[] = {{103, 100, 9, "Quorvalen"}, {109, 100, 9, "QUORVALEN"}, {103, 4, 3, "Quo"},
                 {103, 1, 0, ""},            {999, 100, 0, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        char buffer[128];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(LoadStringA(nullptr, c.id, buffer, c.size), c.returned);
        EXPECT_STREQ(buffer, c.text);
        EXPECT_EQ(buffer[c.size], 'x');
    }
}

TEST_F(KernelTest, ResourcesExistAsTheScriptDefinesThem) {
    auto instance = reinterpret_cast<HINSTANCE>(std::uintptr_t{0x400000});
    EXPECT_NE(LoadIconA(instance, MAKEINTRESOURCEA(107)), nullptr);
    EXPECT_NE(LoadIconA(instance, MAKEINTRESOURCEA(108)), nullptr);
    EXPECT_EQ(LoadIconA(instance, MAKEINTRESOURCEA(109)), nullptr);
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
    EXPECT_NE(LoadAcceleratorsA(instance, MAKEINTRESOURCEA(109)), nullptr);
    EXPECT_EQ(LoadAcceleratorsA(instance, MAKEINTRESOURCEA(110)), nullptr);
    // Icon group 107: a 32 x 32 and a 16 x 16 image of 16 colours; 108: one 16 x 16.
    const qv::rc::IconGroup* large = qv::rc::findIcon(107);
    const qv::rc::IconGroup* small = qv::rc::findIcon(108);
    ASSERT_NE(large, nullptr);
    ASSERT_NE(small, nullptr);
    ASSERT_EQ(large->imageCount, 2);
    EXPECT_EQ(large->images[0].width, 32);
    EXPECT_EQ(large->images[1].width, 16);
    EXPECT_EQ(large->images[0].colors, 16);
    ASSERT_EQ(small->imageCount, 1);
    EXPECT_EQ(small->images[0].height, 16);
    EXPECT_EQ(qv::rc::resources().language, 0x0409);
}

}  // namespace
}  // namespace qvtest
