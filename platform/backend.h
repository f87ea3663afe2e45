// The one seam between our Win32 layer and a desktop that shows it.
//
// platform/common implements the Win32 semantics once (window classes and windows, the
// message queue, update regions and WM_PAINT, accelerators, DefWindowProcA, modal loops,
// global memory, the clipboard, the Open dialog's buffer format). A backend supplies only
// what a person sees and does: it waits for input, shows windows, text, boxes and dialogs,
// takes answers, holds the clipboard text and makes outside calls fail when told to.
// The headless desktop (platform/headless) records everything as a transcript; a GTK
// backend implements the same interface with real windows. The shell sees none of this:
// it speaks only platform/win32.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/common/resource_tables.h"
#include "platform/win32.h"

namespace qv {

// Facts about a top-level window, as a desktop would show it.
struct WindowFacts {
    HWND hwnd;
    int number;  // 1, 2 ... in creation order: a stable name for transcripts
    const char* className;
    const char* title;
    DWORD style;
    RECT windowRect;  // outer rectangle, screen pixels
    RECT clientRect;  // client area, client coordinates
    int menuId;       // resource number of the menu bar, 0 for none
};

struct MessageBoxFacts {
    HWND owner;  // may be null
    const char* text;
    const char* caption;  // null: the system's default caption
    UINT type;            // MB_* buttons and icon
};

// How a person answers a modal box or dialog.
enum class ModalAnswer { OkButton, Enter, Escape, CloseBox };

// Where an answer came from: queued by the person beforehand, or the desktop's default.
struct ModalReply {
    ModalAnswer answer;
    bool byDefault;
};

struct DialogFacts {
    HWND dialog;
    HWND owner;
    const rc::DialogTemplate* layout;
};

// What the person chose in the Open dialog, before it is written into the caller's buffer.
struct FileChoice {
    enum class Kind { Cancel, Pick, Typed } kind = Kind::Cancel;
    std::string folder;              // Pick: the folder shown; Typed: the dialog's folder
    std::vector<std::string> names;  // Pick: the names selected; Typed: the one name typed
    bool byDefault = false;
};

// What GetOpenFileNameA made of the choice.
struct FileDialogOutcome {
    BOOL result;
    std::string_view buffer;  // the caller's buffer up to its double terminator, on success
    WORD fileOffset;
    std::string failure;  // why the call returned 0 other than a cancel, else empty
};

// The outside calls that a test can make fail, each on its next use.
enum class OutsideCall { GlobalAlloc, GlobalLock, OpenClipboard, SetClipboardData, Count };

class Backend {
public:
    virtual ~Backend() = default;

    // --- Input: called when the thread has nothing to do (no posted message, no quit, no
    // window to paint). The backend waits for the person and turns what they do into input
    // through the functions of platform/common/desktop.h.
    virtual void waitForInput() = 0;

    // --- Windows
    virtual void windowCreated(const WindowFacts& window) = 0;
    virtual void windowShown(HWND window, int showCommand) = 0;
    virtual void windowDestroyed(HWND window) = 0;

    // --- Painting and text metrics. The device context's font is fixed per backend.
    virtual TEXTMETRICA textMetrics() = 0;
    virtual void paintBegun(HWND window, const RECT& area, bool erased) = 0;
    virtual void textDrawn(HWND window, int x, int y, std::string_view text) = 0;
    virtual void paintEnded(HWND window) = 0;

    // --- Modal interaction. Each runs while its owner is disabled; while the person
    // takes their time the backend keeps calling qv::pumpPendingMessages() so that the
    // owner still repaints.
    virtual ModalReply runMessageBox(const MessageBoxFacts& box) = 0;
    virtual void messageBoxAnswered(const ModalReply& reply, int result) = 0;
    virtual void dialogShown(const DialogFacts& dialog) = 0;
    virtual ModalReply awaitDialogAnswer(HWND dialog) = 0;
    virtual void dialogEnded(HWND dialog, INT_PTR result) = 0;
    virtual FileChoice runOpenDialog(const OPENFILENAMEA& request) = 0;
    virtual void openDialogAnswered(const FileChoice& choice, const FileDialogOutcome& outcome) = 0;

    // --- Clipboard (CF_TEXT) and sound
    virtual void clipboardOpened(HWND owner) = 0;
    virtual void clipboardEmptied() = 0;
    virtual void clipboardTextSet(std::string_view blockBytes) = 0;
    virtual void clipboardClosed() = 0;
    virtual void beep(UINT type) = 0;

    // --- The outside world
    virtual bool outsideCallFails(OutsideCall call) = 0;  // consumes one injected failure
    virtual void outsideCallFailed(OutsideCall call, std::string_view detail) = 0;
    virtual std::string commandLine() = 0;
    virtual bool currentDirectory(std::string& folder) = 0;
    virtual bool changeDirectory(const std::string& folder) = 0;

    // --- Things a careful observer notices: a program fault our layer caught (a block
    // freed twice, a paint that validated nothing ...). Never fatal.
    virtual void noticeFault(std::string_view what) = 0;
    // Something worth a line in a record of the session (menu opened by a mnemonic ...).
    virtual void note(std::string_view what) = 0;
};

}  // namespace qv
