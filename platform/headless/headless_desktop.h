// The headless desktop: a real backend of our Win32 layer that draws nothing. It reads a
// person's actions, one per line, and writes a transcript of everything that person would
// see and everything the program does outside itself. Deterministic: fixed text metrics
// (8 x 16 pixel characters), a fixed default window, no addresses, no times.
//
// Actions (one per line; a line starting with # is a comment, as is a word starting with
// # after the arguments of pick, size, fail and the answers; blank lines are ignored):
//   menu PATH        choose a menu item by the texts the menu shows, ampersands left out:
//                    "menu File/Open...", "menu SaveClip", "menu Help/About ..."
//                    (WM_COMMAND posted with the item's number, high word 0)
//   alt C            type character C with Alt held (WM_SYSCHAR through the message loop,
//                    so the accelerator table applies); "alt F4" is Alt+F4 and
//                    "alt space" opens the system menu
//   pick DIR NAME... answer for the next Open dialog: one or several files chosen in one
//                    folder (names with spaces in double quotes; a relative DIR is taken
//                    from the folder the dialog starts in)
//   type PATH        answer for the next Open dialog: a name typed into it
//   cancel           answer for the next Open dialog: Cancel (also what an Open dialog
//                    gets when no answer is queued)
//   ok | enter | esc answer for the next message box or dialog: its OK button, Enter, Esc
//   close            the next box's close box when the next action that does something is
//                    a menu or alt (answers are written just before the action that opens
//                    the box); otherwise the main window's close box (WM_SYSCOMMAND
//                    SC_CLOSE). Without a queued answer a box is answered with OK.
//   size W H         the client area becomes W x H (WM_SIZE SIZE_RESTORED; the class
//                    styles decide what is repainted)
//   minimize         WM_SIZE SIZE_MINIMIZED with 0 x 0
//   restore          back to the size before minimizing
//   expose           another window stops covering ours: the whole client area is
//                    invalidated with erasing
//   fail NAME        the next call of GlobalAlloc, GlobalLock, OpenClipboard or
//                    SetClipboardData fails
//   meanwhile ACTION performed while the next modal box, dialog or Open dialog is up, before
//                    it is answered (the owner is disabled then: menus and keys are ignored,
//                    but it still repaints)
// Between actions the desktop runs every pending message and paint, like a person waiting
// for the window to settle. At the end of the input, with the program still running, the
// desktop clicks the main window's close box and says so.
//
// Transcript lines:
//   start command-line "..." directory "..."
//   > ACTION                                   each action as read
//   window w1 created class "C" title "T" style 0x... rect L T R B client W H menu N
//   show w1 SW_SHOWDEFAULT  /  window w1 destroyed
//   paint w1 L T R B [erase]   then one line per TextOutA:   X Y "text"
//   messagebox owner w1 caption "C"|(default) icon error|information|warning|question|none text "..."
//   messagebox answered ok|enter|esc|close (queued|default) -> IDOK|IDCANCEL
//   dialog 103 w2 owner w1 caption "About" at X Y size CX CY style 0x... font 8 "System"
//     control LTEXT Static id -1 "text" at X Y size CX CY style 0x...   (ICON: icon N)
//   dialog w2 answer esc (queued)  /  dialog w2 ended with 2
//   opendialog owner w1 title "T" filter "Data Files" "*.dat" initial "DIR" flags 0x... nMaxFile N
//   opendialog answer pick "DIR" "a.dat" ... | type "PATH" | cancel (queued|default)
//   opendialog returned 1 buffer "dir\0a.dat\0b.dat\0\0" nFileOffset N   (or returned 0[: why])
//   directory changed to "DIR"                     the Open dialog moved the current folder
//   clipboard opened by w1 / clipboard emptied / clipboard set CF_TEXT N bytes "..." / clipboard closed
//   GlobalAlloc failed (injected): 17 bytes        and likewise for the other three
//   beep MB_OK
//   file created|written "PATH" N bytes "content"  /  file removed "PATH"
//       (the folders of the program and the current folder are watched)
//   ignored: why                                   an action that reached no window
//   note: ...                                      something worth knowing (a menu opened by Alt)
//   ! fault: ...                                   a program fault our layer caught
//   exit N                                         WinMain's result; 2 with "(stopped by the
//                                                  desktop: why)" for a script error or a program
//                                                  still running after the last close, 3 for a
//                                                  dialog that takes no answer
// Texts are C-escaped: \r \n \t \0 \\ \" and \xNN for any other byte outside printable ASCII.
#pragma once

#include <array>
#include <deque>
#include <iosfwd>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/common/desktop.h"

namespace qv::headless {

// A script line the desktop cannot follow. Ends the run with exit code 2.
struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The desktop ends a run that cannot go on (a program that ignores the last close, a
// dialog that takes no answer). Ends the run with the given exit code.
struct DesktopStop : std::runtime_error {
    DesktopStop(int exitCode, const std::string& why) : std::runtime_error(why), code(exitCode) {}
    int code;
};

// Files that appear, change or vanish in the watched folders, reported with their content.
class FileWatch {
public:
    void watch(const std::string& folder);
    // Lines for every change since the last call.
    std::vector<std::string> changes();

private:
    struct Seen {
        long long modified;
        long long size;
        std::string content;
    };
    using Snapshot = std::map<std::string, Seen>;
    static Snapshot scan(const std::string& folder);
    std::map<std::string, Snapshot> folders_;
};

class HeadlessDesktop final : public Backend {
public:
    HeadlessDesktop(std::istream& actions, std::ostream& transcript, std::string commandLine);

    // One action, now (the desktop's own loop uses it; tests may too). Throws ScriptError.
    void perform(const std::string& line);
    // The closing lines: files written, blocks never freed, answers never used, the exit code.
    int finish(int exitCode, const std::string& why = {});
    void write(const std::string& line);
    // Reports files created, written or removed in this folder from now on.
    void watchFolder(const std::string& folder);

    // Backend
    void waitForInput() override;
    void windowCreated(const WindowFacts& window) override;
    void windowShown(HWND window, int showCommand) override;
    void windowDestroyed(HWND window) override;
    TEXTMETRICA textMetrics() override;
    void paintBegun(HWND window, const RECT& area, bool erased) override;
    void textDrawn(HWND window, int x, int y, std::string_view text) override;
    void paintEnded(HWND window) override;
    ModalReply runMessageBox(const MessageBoxFacts& box) override;
    void messageBoxAnswered(const ModalReply& reply, int result) override;
    void dialogShown(const DialogFacts& dialog) override;
    ModalReply awaitDialogAnswer(HWND dialog) override;
    void dialogEnded(HWND dialog, INT_PTR result) override;
    FileChoice runOpenDialog(const OPENFILENAMEA& request) override;
    void openDialogAnswered(const FileChoice& choice, const FileDialogOutcome& outcome) override;
    void clipboardOpened(HWND owner) override;
    void clipboardEmptied() override;
    void clipboardTextSet(std::string_view blockBytes) override;
    void clipboardClosed() override;
    void beep(UINT type) override;
    bool outsideCallFails(OutsideCall call) override;
    void outsideCallFailed(OutsideCall call, std::string_view detail) override;
    std::string commandLine() override;
    bool currentDirectory(std::string& folder) override;
    bool changeDirectory(const std::string& folder) override;
    void noticeFault(std::string_view what) override;
    void note(std::string_view what) override;

private:
    struct Line {
        int number;
        std::string text;
    };
    bool readLine(Line& line);
    bool peekLine(std::size_t ahead, Line& line);
    bool closeAnswersABox();
    void performAt(const Line& line, bool echo, bool meanwhile);
    void input(const char* what, InputResult result);
    ModalReply takeAnswer();
    void settle();
    void reportFiles();

    std::istream& actions_;
    std::ostream& out_;
    std::string commandLine_;
    std::deque<Line> lookahead_;
    int lineNumber_ = 0;
    int currentLine_ = 0;
    bool endOfInput_ = false;
    std::deque<ModalAnswer> answers_;
    std::deque<FileChoice> fileChoices_;
    std::deque<Line> meanwhile_;
    std::array<int, static_cast<std::size_t>(OutsideCall::Count)> failures_{};
    std::set<HWND> defaultedDialogs_;
    FileWatch files_;
};

}  // namespace qv::headless
