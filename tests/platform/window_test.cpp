// Windows, the message queue and painting, accelerators, and modal boxes and dialogs, as
// the shell relies on them.
#include <algorithm>

#include "tests/platform/desktop_fixture.h"

namespace qvtest {
namespace {

using WindowTest = DesktopTest;
using ModalTest = DesktopTest;

std::vector<UINT> messagesOf(const Recorder& r) {
    std::vector<UINT> out;
    for (const Received& m : r.messages) out.push_back(m.message);
    return out;
}

TEST_F(WindowTest, CreationSendsCreateThenSizeAndPaintsOnlyOnceShown) {
    HWND hwnd = makeWindow(CS_HREDRAW | CS_VREDRAW, true, false);
    ASSERT_EQ(messagesOf(record), (std::vector<UINT>{WM_CREATE, WM_SIZE}));
    EXPECT_EQ(record.messages[1].wParam, WPARAM{SIZE_RESTORED});
    EXPECT_EQ(record.messages[1].lParam, MAKELPARAM(640, 480));
    UpdateWindow(hwnd);  // hidden: nothing to paint
    EXPECT_EQ(record.count(WM_PAINT), 0);
    ShowWindow(hwnd, SW_SHOWDEFAULT);
    UpdateWindow(hwnd);  // shown: the whole client area, painted at once
    EXPECT_EQ(record.count(WM_PAINT), 1);
    EXPECT_EQ(record.lastPaint.rcPaint.right, 640);
    EXPECT_EQ(record.lastPaint.rcPaint.bottom, 480);
    UpdateWindow(hwnd);  // validated by BeginPaint: no second paint
    EXPECT_EQ(record.count(WM_PAINT), 1);
    RECT outer;
    GetWindowRect(hwnd, &outer);
    EXPECT_EQ(outer.right - outer.left, 648);  // frame 4 on each side
    EXPECT_EQ(outer.bottom - outer.top, 528);  // frame, caption 20, menu bar 20
    EXPECT_TRUE(saw("window w1 created class \"TEST\" title \"Test\" style 0x00CF0000 rect 0 0 648 528 client 640 480 "
                    "menu 109"));
}

TEST_F(WindowTest, GivenRectangleIsTheOuterRectangle) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = recordingProc;
    wc.lpszClassName = "PLAIN";
    RegisterClassExA(&wc);
    EXPECT_EQ(RegisterClassExA(&wc), 0);  // a class name is registered once
    wc.cbSize = 48;                       // the 32-bit size is not this structure's
    wc.lpszClassName = "OTHER";
    EXPECT_EQ(RegisterClassExA(&wc), 0);
    HWND hwnd = CreateWindowExA(0, "PLAIN", "", WS_OVERLAPPEDWINDOW, 10, 20, 300, 200, nullptr, nullptr, nullptr, nullptr);
    RECT outer;
    RECT client;
    GetWindowRect(hwnd, &outer);
    GetClientRect(hwnd, &client);
    EXPECT_EQ(outer.left, 10);
    EXPECT_EQ(outer.top, 20);
    EXPECT_EQ(outer.right, 310);
    EXPECT_EQ(outer.bottom, 220);
    EXPECT_EQ(client.right, 300 - 8);
    EXPECT_EQ(client.bottom, 200 - 28);  // no menu: frame and caption only
    EXPECT_EQ(CreateWindowExA(0, "NOSUCH", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(WindowTest, PostedMessagesComeBeforeQuitAndQuitBeforePaint) {
    HWND hwnd = makeWindow();
    InvalidateRect(hwnd, nullptr, TRUE);
    qv::chooseMenuItem("File/Clear");
    PostQuitMessage(3);
    MSG msg;
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, UINT{WM_COMMAND});
    EXPECT_EQ(msg.wParam, MAKEWPARAM(32772, 0));
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.message, UINT{WM_QUIT});
    EXPECT_EQ(msg.wParam, WPARAM{3});
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);  // the paint is still due
    EXPECT_EQ(msg.message, UINT{WM_PAINT});
}

TEST_F(WindowTest, UpdateRegionGrowsUntilBeginPaintValidatesIt) {
    HWND hwnd = makeWindow();
    RECT a{10, 10, 50, 20};
    RECT b{30, 15, 60, 40};
    InvalidateRect(hwnd, &a, FALSE);
    InvalidateRect(hwnd, &b, FALSE);
    MSG msg;
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    ASSERT_EQ(msg.message, UINT{WM_PAINT});
    DispatchMessageA(&msg);
    EXPECT_EQ(record.lastPaint.rcPaint.left, 10);
    EXPECT_EQ(record.lastPaint.rcPaint.top, 10);
    EXPECT_EQ(record.lastPaint.rcPaint.right, 60);
    EXPECT_EQ(record.lastPaint.rcPaint.bottom, 40);
    EXPECT_TRUE(saw("paint w1 10 10 60 40"));
    EXPECT_EQ(record.count(WM_ERASEBKGND), 1);  // only the first paint after showing erased
}

TEST_F(WindowTest, ErasingGoesThroughTheClassBrush) {
    struct Case {
        bool brush;
        BOOL fErase;  // what the painter is left to do
    } cases[] = {{true, FALSE}, {false, TRUE}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.brush);
        qv::installBackend(&desktop);
        record = Recorder{};
        HWND hwnd = makeWindow(CS_HREDRAW | CS_VREDRAW, c.brush);
        InvalidateRect(hwnd, nullptr, TRUE);
        UpdateWindow(hwnd);
        EXPECT_EQ(record.lastPaint.fErase, c.fErase);
    }
}

// CS_HREDRAW | CS_VREDRAW repaint the whole client area after a size change; without
// them only what a larger window uncovers is painted.
TEST_F(WindowTest, SizeChangesRepaintAsTheClassStylesSay) {
    struct Case {
        const char* what;
        UINT style;
        int width, height;
        RECT painted;  // empty: no paint
    } cases[] = {
        {"redraw styles, smaller", CS_HREDRAW | CS_VREDRAW, 300, 200, {0, 0, 300, 200}},
        {"redraw styles, wider", CS_HREDRAW | CS_VREDRAW, 700, 480, {0, 0, 700, 480}},
        {"no styles, smaller", 0, 300, 200, {0, 0, 0, 0}},
        {"no styles, wider", 0, 700, 480, {640, 0, 700, 480}},
        {"only CS_VREDRAW, wider", CS_VREDRAW, 700, 480, {640, 0, 700, 480}},
        {"only CS_VREDRAW, taller", CS_VREDRAW, 640, 500, {0, 0, 640, 500}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        qv::installBackend(&desktop);
        record = Recorder{};
        makeWindow(c.style);
        int paintsBefore = record.count(WM_PAINT);
        ASSERT_EQ(qv::resizeClient(c.width, c.height), qv::InputResult::Delivered);
        EXPECT_EQ(record.messages.back().message, UINT{WM_SIZE});
        EXPECT_EQ(record.messages.back().lParam, MAKELPARAM(c.width, c.height));
        qv::pumpPendingMessages();
        bool expectPaint = c.painted.right > c.painted.left;
        EXPECT_EQ(record.count(WM_PAINT), paintsBefore + (expectPaint ? 1 : 0));
        if (expectPaint) {
            EXPECT_EQ(record.lastPaint.rcPaint.left, c.painted.left);
            EXPECT_EQ(record.lastPaint.rcPaint.right, c.painted.right);
            EXPECT_EQ(record.lastPaint.rcPaint.bottom, c.painted.bottom);
        }
    }
}

TEST_F(WindowTest, MinimizeReportsZeroSizeAndRestoreRepaints) {
    HWND hwnd = makeWindow();
    ASSERT_EQ(qv::minimizeWindow(), qv::InputResult::Delivered);
    EXPECT_EQ(record.messages.back().wParam, WPARAM{SIZE_MINIMIZED});
    EXPECT_EQ(record.messages.back().lParam, 0);
    InvalidateRect(hwnd, nullptr, TRUE);  // nothing to paint while minimized
    int paints = record.count(WM_PAINT);
    qv::pumpPendingMessages();
    EXPECT_EQ(record.count(WM_PAINT), paints);
    ASSERT_EQ(qv::restoreWindow(), qv::InputResult::Delivered);
    EXPECT_EQ(record.messages.back().lParam, MAKELPARAM(640, 480));
    qv::pumpPendingMessages();
    EXPECT_EQ(record.count(WM_PAINT), paints + 1);
    EXPECT_EQ(qv::restoreWindow(), qv::InputResult::NotMinimized);
}

TEST_F(WindowTest, PaintThatValidatesNothingIsReportedNotRepeated) {
    HWND hwnd = makeWindow();
    record.validatePaints = false;
    InvalidateRect(hwnd, nullptr, FALSE);
    qv::pumpPendingMessages();  // would never return if WM_PAINT kept coming
    EXPECT_TRUE(saw("! fault: WM_PAINT of w1 left the update region invalid (no BeginPaint)"));
    TextOutA(nullptr, 0, 0, "x", 1);
    EXPECT_TRUE(saw("! fault: TextOutA with a device context outside BeginPaint/EndPaint"));
}

// Every way of closing ends in DestroyWindow, WM_DESTROY and the quit message.
TEST_F(WindowTest, CloseRequestsDestroyTheWindowByDefault) {
    struct Case {
        const char* what;
        qv::InputResult (*act)();
    } cases[] = {
        {"close box", qv::clickCloseBox},
        {"Alt+F4", qv::pressAltF4},
        {"WM_CLOSE", [] {
             DefWindowProcA(qv::mainWindow(), WM_CLOSE, 0, 0);
             return qv::InputResult::Delivered;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        qv::installBackend(&desktop);
        record = Recorder{};
        HWND hwnd = makeWindow();
        c.act();
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
        EXPECT_EQ(msg.wParam, WPARAM{7});
        EXPECT_EQ(record.count(WM_DESTROY), 1);
        RECT r;
        EXPECT_EQ(GetWindowRect(hwnd, &r), FALSE);
        EXPECT_EQ(qv::mainWindow(), nullptr);
    }
}

TEST_F(WindowTest, AcceleratorsMatchAltCharacters) {
    HWND hwnd = makeWindow();
    HACCEL table = LoadAcceleratorsA(nullptr, MAKEINTRESOURCEA(109));
    constexpr LPARAM ALT = 0x20000001;
    struct Case {
        UINT message;
        WPARAM key;
        LPARAM lParam;
        int translated;
    } cases[] = {
        {WM_SYSCHAR, '?', ALT, 1}, {WM_SYSCHAR, '/', ALT, 1}, {WM_CHAR, '?', 1, 0},
        {WM_SYSCHAR, '?', 1, 0},   {WM_SYSCHAR, 'x', ALT, 0}, {WM_KEYDOWN, '?', 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        record.messages.clear();
        MSG msg{hwnd, c.message, c.key, c.lParam, 0, POINT{0, 0}};
        EXPECT_EQ(TranslateAcceleratorA(hwnd, table, &msg), c.translated);
        if (c.translated) {
            ASSERT_EQ(record.messages.size(), 1u);
            EXPECT_EQ(record.messages[0].message, UINT{WM_COMMAND});
            EXPECT_EQ(record.messages[0].wParam, MAKEWPARAM(104, 1));  // accelerator: high word 1
        } else {
            EXPECT_TRUE(record.messages.empty());
        }
    }
    MSG msg{hwnd, WM_SYSCHAR, '?', ALT, 0, POINT{0, 0}};
    EXPECT_EQ(TranslateAcceleratorA(hwnd, nullptr, &msg), 0);
}

TEST_F(WindowTest, AltWithoutAcceleratorOpensAMenuByMnemonicOrBeeps) {
    HWND hwnd = makeWindow();
    DefWindowProcA(hwnd, WM_SYSCHAR, 'h', 0x20000001);
    EXPECT_TRUE(saw("note: menu \"&Help\" of w1 opened by its mnemonic and closed again without a choice"));
    DefWindowProcA(hwnd, WM_SYSCHAR, 'x', 0x20000001);  // E&xit is in a drop-down, not on the bar
    EXPECT_TRUE(saw("beep MB_OK"));
}

TEST_F(WindowTest, MenuChoicesPostTheItemsCommand) {
    makeWindow();
    struct Case {
        const char* path;
        WORD id;
    } cases[] = {{"File/Open...", 32771}, {"File/Clear", 32772},     {"File/Save settings", 32773},
                 {"File/Exit", 105},      {"SaveClip", 32775},       {"Help/About ...", 104},
                 {"Help/File format", 32774}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ASSERT_EQ(qv::chooseMenuItem(c.path), qv::InputResult::Delivered);
        MSG msg;
        ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
        EXPECT_EQ(msg.message, UINT{WM_COMMAND});
        EXPECT_EQ(msg.wParam, MAKEWPARAM(c.id, 0));
    }
    for (const char* bad : {"File", "File/Nothing", "Exit", "Help/About", "SaveClip/x", ""})
        EXPECT_EQ(qv::chooseMenuItem(bad), qv::InputResult::NoSuchMenuItem) << bad;
}

// A message box's answer, and what it returns for the box's buttons.
TEST_F(ModalTest, MessageBoxAnswers) {
    struct Case {
        const char* answer;
        UINT type;
        int result;
        const char* said;
    } cases[] = {
        {"ok", MB_OK, IDOK, "messagebox answered ok (queued) -> IDOK"},
        {"enter", MB_OK, IDOK, "messagebox answered enter (queued) -> IDOK"},
        {"esc", MB_OK, IDOK, "messagebox answered esc (queued) -> IDOK"},
        {"esc", MB_OKCANCEL, IDCANCEL, "messagebox answered esc (queued) -> IDCANCEL"},
        {"", MB_OKCANCEL, IDOK, "messagebox answered ok (default) -> IDOK"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.answer) + " " + std::to_string(c.type));
        if (*c.answer) desktop.perform(c.answer);
        EXPECT_EQ(MessageBoxA(nullptr, "a\nb", nullptr, c.type | MB_ICONERROR), c.result);
        EXPECT_TRUE(saw(c.said));
    }
    EXPECT_TRUE(saw("messagebox owner none caption (default) icon error text \"a\\nb\""));
}

// While a box is up its owner is disabled: a person's commands do not reach it, but it
// still repaints.
TEST_F(ModalTest, BoxDisablesItsOwnerWhichStillRepaints) {
    HWND hwnd = makeWindow();
    desktop.perform("meanwhile menu File/Clear");
    desktop.perform("meanwhile alt ?");
    desktop.perform("meanwhile expose");
    record.messages.clear();
    MessageBoxA(hwnd, "busy", "Caption", MB_OK);
    EXPECT_EQ(record.count(WM_COMMAND), 0);
    EXPECT_EQ(record.count(WM_SYSCHAR), 0);
    EXPECT_EQ(record.count(WM_PAINT), 1);
    std::vector<std::string> l = lines();
    auto at = [&](const std::string& s) { return std::find(l.begin(), l.end(), s) - l.begin(); };
    EXPECT_LT(at("meanwhile: expose"), at("messagebox answered ok (default) -> IDOK"));
    EXPECT_LT(at("paint w1 0 0 640 480 erase"), at("messagebox answered ok (default) -> IDOK"));
    EXPECT_EQ(std::count(l.begin(), l.end(), "ignored: the window is disabled while a modal box is up"), 2);
    // Enabled again afterwards.
    EXPECT_EQ(qv::chooseMenuItem("File/Clear"), qv::InputResult::Delivered);
}

struct DialogLog {
    std::vector<UINT> messages;
    bool endInInit = false;
};
DialogLog* dialogLog = nullptr;

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    dialogLog->messages.push_back(message);
    if (message == WM_INITDIALOG) {
        if (dialogLog->endInInit) EndDialog(dialog, 42);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

TEST_F(ModalTest, DialogClosesFourWays) {
    HWND owner = makeWindow();
    struct Case {
        const char* answer;
        INT_PTR result;
    } cases[] = {{"ok", IDOK}, {"enter", IDOK}, {"esc", IDCANCEL}, {"close", IDCANCEL}, {"", IDOK}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        DialogLog log;
        dialogLog = &log;
        std::string answer = c.answer;
        // "close" written before an action that opens a box answers that box.
        if (answer == "close") script("menu Help/About ...\n");
        if (!answer.empty()) desktop.perform(answer);
        EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(103), owner, aboutProc, 0), c.result);
        ASSERT_FALSE(log.messages.empty());
        EXPECT_EQ(log.messages.front(), UINT{WM_INITDIALOG});
        // The close box goes WM_SYSCOMMAND, WM_CLOSE, then Cancel as a command.
        bool closed = std::find(log.messages.begin(), log.messages.end(), UINT{WM_CLOSE}) != log.messages.end();
        EXPECT_EQ(closed, answer == "close");
        EXPECT_EQ(qv::chooseMenuItem("File/Clear"), qv::InputResult::Delivered);  // owner enabled again
        qv::pumpPendingMessages();
    }
    EXPECT_TRUE(saw("dialog w5 answer close (queued)"));
    EXPECT_TRUE(saw("dialog w6 answer ok (default)"));
    EXPECT_TRUE(saw("dialog w4 ended with 2"));
}

TEST_F(ModalTest, DialogEndedDuringInitTakesNoAnswerAndMissingTemplateFails) {
    HWND owner = makeWindow();
    DialogLog log;
    log.endInInit = true;
    dialogLog = &log;
    desktop.perform("esc");
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(103), owner, aboutProc, 0), 42);
    EXPECT_TRUE(saw("dialog w2 ended with 42"));
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(999), owner, aboutProc, 0), -1);
    EXPECT_EQ(desktop.finish(0), 0);
    EXPECT_TRUE(saw("note: 1 box answer(s) never used"));
}

// The desktop ends a run that cannot end by itself, instead of waiting for ever.
TEST_F(ModalTest, DesktopStopsAProgramThatWillNotEnd) {
    makeWindow();
    record.ignoreClose = true;
    script("# nothing but a comment\n");
    MSG msg;
    try {
        while (GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
        ADD_FAILURE() << "the loop ended";
    } catch (const qv::headless::DesktopStop& stop) {
        EXPECT_EQ(stop.code, 2);
    }
    EXPECT_TRUE(saw("end of input: clicking the close box of w1"));
    EXPECT_EQ(record.count(WM_CLOSE), 1);

    DialogLog log;
    dialogLog = &log;
    auto neverEnds = [](HWND, UINT message, WPARAM, LPARAM) -> INT_PTR {
        dialogLog->messages.push_back(message);
        return FALSE;
    };
    try {
        DialogBoxParamA(nullptr, MAKEINTRESOURCEA(103), qv::mainWindow(), neverEnds, 0);
        ADD_FAILURE() << "the dialog ended";
    } catch (const qv::headless::DesktopStop& stop) {
        EXPECT_EQ(stop.code, 3);
    }
    EXPECT_TRUE(saw("dialog w2 answer ok (default)"));
}

}  // namespace
}  // namespace qvtest
