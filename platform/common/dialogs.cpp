// Modal interaction: message boxes, dialog boxes from templates with their own modal loop,
// and the Open dialog's result written into the caller's buffer exactly as Win32 does.
#include <algorithm>
#include <cstring>

#include "platform/common/desktop.h"
#include "platform/common/state.h"

namespace qv::detail {
namespace {

constexpr WORD BN_CLICKED = 0;

// The result a message box gives for each answer: Esc and the close box count as Cancel
// only when the box has a Cancel button; a lone OK button takes every answer.
int messageBoxResult(UINT type, ModalAnswer answer) {
    bool cancels = answer == ModalAnswer::Escape || answer == ModalAnswer::CloseBox;
    return (type & 0xF) == MB_OKCANCEL && cancels ? IDCANCEL : IDOK;
}

const rc::DialogControl* findControl(const rc::DialogTemplate& layout, int id) {
    for (int i = 0; i < layout.controlCount; ++i)
        if (layout.controls[i].id == id) return &layout.controls[i];
    return nullptr;
}

// The button Enter presses: the default push button, else IDOK.
int defaultButtonId(const rc::DialogTemplate& layout) {
    for (int i = 0; i < layout.controlCount; ++i) {
        const rc::DialogControl& c = layout.controls[i];
        if (std::strcmp(c.className, "Button") == 0 && (c.style & 0xF) == BS_DEFPUSHBUTTON) return c.id;
    }
    return IDOK;
}

// The window procedure of every dialog: the dialog procedure first, then the default
// dialog handling (closing from the caption means Cancel).
LRESULT CALLBACK dialogWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = findWindow(hwnd);
    if (w == nullptr) return 0;
    if (w->dialogProc != nullptr && w->dialogProc(hwnd, message, wParam, lParam) != FALSE) return TRUE;
    if (message == WM_CLOSE) {
        postMessage(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    }
    if (message == WM_SYSCOMMAND || message == WM_SYSCHAR) return DefWindowProcA(hwnd, message, wParam, lParam);
    return 0;
}

void clickButton(HWND dialog, int id) {
    sendMessage(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void deliverDialogAnswer(HWND dialog, const rc::DialogTemplate& layout, ModalAnswer answer) {
    switch (answer) {
    case ModalAnswer::OkButton:
        if (findControl(layout, IDOK) != nullptr) {
            clickButton(dialog, IDOK);
        } else {
            qv::backend().note("the dialog has no OK button to click; Enter pressed instead");
            clickButton(dialog, defaultButtonId(layout));
        }
        break;
    case ModalAnswer::Enter:
        clickButton(dialog, defaultButtonId(layout));
        break;
    case ModalAnswer::Escape:
        clickButton(dialog, IDCANCEL);
        break;
    case ModalAnswer::CloseBox:
        sendMessage(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
}

HWND createDialogWindow(const rc::DialogTemplate& layout, HWND owner, DLGPROC proc) {
    State& st = state();
    Window w;
    w.number = static_cast<int>(st.windows.size()) + 1;
    w.alive = true;
    w.isDialog = true;
    w.className = "#32770";  // the system's dialog class
    w.title = layout.caption;
    w.style = layout.style;
    w.proc = dialogWindowProc;
    w.owner = owner;
    w.dialogProc = proc;
    w.layout = &layout;
    st.windows.push_back(w);
    return toHwnd(w.number);
}

// ---- the Open dialog's buffer

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || name.starts_with('/')) return name;
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

std::string folderOf(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

FileDialogOutcome bufferTooSmall(OPENFILENAMEA& ofn, std::size_t needed) {
    // FNERR_BUFFERTOOSMALL: the first two bytes of the buffer receive the size needed.
    if (ofn.nMaxFile >= 2) {
        auto size = static_cast<WORD>(std::min<std::size_t>(needed, 0xFFFF));
        ofn.lpstrFile[0] = static_cast<char>(size & 0xFF);
        ofn.lpstrFile[1] = static_cast<char>(size >> 8);
    }
    return {FALSE, {}, 0,
            "the selection needs " + std::to_string(needed) + " characters; nMaxFile is " +
                std::to_string(ofn.nMaxFile) + " (FNERR_BUFFERTOOSMALL)"};
}

WORD extensionOffset(const std::string& path, std::size_t nameOffset) {
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < nameOffset) return static_cast<WORD>(path.size());
    return dot + 1 == path.size() ? 0 : static_cast<WORD>(dot + 1);
}

// One file: its full path, nFileOffset at the name inside it.
FileDialogOutcome writeOneFile(OPENFILENAMEA& ofn, const std::string& path) {
    std::size_t needed = path.size() + 1;
    if (needed > ofn.nMaxFile) return bufferTooSmall(ofn, needed);
    std::memcpy(ofn.lpstrFile, path.c_str(), needed);
    std::size_t slash = path.rfind('/');
    std::size_t nameOffset = slash == std::string::npos ? 0 : slash + 1;
    if (nameOffset > 0xFFFF) return {FALSE, {}, 0, "the path is too long for nFileOffset"};
    ofn.nFileOffset = static_cast<WORD>(nameOffset);
    ofn.nFileExtension = extensionOffset(path, nameOffset);
    if (ofn.lpstrFileTitle != nullptr && ofn.nMaxFileTitle > 0) {
        std::size_t n = std::min<std::size_t>(path.size() - nameOffset, ofn.nMaxFileTitle - 1);
        std::memcpy(ofn.lpstrFileTitle, path.c_str() + nameOffset, n);
        ofn.lpstrFileTitle[n] = '\0';
    }
    return {TRUE, std::string_view(ofn.lpstrFile, needed), ofn.nFileOffset, {}};
}

// Several files (OFN_EXPLORER | OFN_ALLOWMULTISELECT): the folder, a terminator, each name
// with its terminator, one more terminator; nFileOffset is the folder's length plus one.
FileDialogOutcome writeSeveralFiles(OPENFILENAMEA& ofn, const std::string& folder,
                                    const std::vector<std::string>& names) {
    std::size_t needed = folder.size() + 2;
    for (const std::string& n : names) needed += n.size() + 1;
    if (needed > ofn.nMaxFile) return bufferTooSmall(ofn, needed);
    if (folder.size() + 1 > 0xFFFF) return {FALSE, {}, 0, "the folder is too long for nFileOffset"};
    char* out = ofn.lpstrFile;
    std::memcpy(out, folder.c_str(), folder.size() + 1);
    out += folder.size() + 1;
    for (const std::string& n : names) {
        std::memcpy(out, n.c_str(), n.size() + 1);
        out += n.size() + 1;
    }
    *out = '\0';
    ofn.nFileOffset = static_cast<WORD>(folder.size() + 1);
    ofn.nFileExtension = 0;
    return {TRUE, std::string_view(ofn.lpstrFile, needed), ofn.nFileOffset, {}};
}

std::string trimmedFolder(std::string folder) {
    while (folder.size() > 1 && folder.ends_with('/')) folder.pop_back();
    return folder;
}

FileDialogOutcome writeChoice(OPENFILENAMEA& ofn, const FileChoice& choice, std::string& chosenFolder) {
    if (choice.kind == FileChoice::Kind::Cancel || choice.names.empty()) return {FALSE, {}, 0, {}};
    std::string folder = trimmedFolder(choice.folder);
    if (choice.names.size() == 1) {
        std::string path = joinPath(folder, choice.names.front());
        chosenFolder = folderOf(path);
        return writeOneFile(ofn, path);
    }
    if (!(ofn.Flags & OFN_ALLOWMULTISELECT))
        return {FALSE, {}, 0, "several files chosen but the dialog allows only one"};
    chosenFolder = folder;
    return writeSeveralFiles(ofn, folder, choice.names);
}

}  // namespace
}  // namespace qv::detail

using namespace qv::detail;

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    disable(hWnd);
    qv::ModalReply reply = qv::backend().runMessageBox(qv::MessageBoxFacts{hWnd, lpText ? lpText : "", lpCaption, uType});
    int result = messageBoxResult(uType, reply.answer);
    qv::backend().messageBoxAnswered(reply, result);
    enable(hWnd);
    return result;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
    const qv::rc::DialogTemplate* layout =
        IS_INTRESOURCE(lpTemplateName) ? qv::rc::findDialog(qv::detail::resourceNumber(lpTemplateName)) : nullptr;
    if (layout == nullptr) return -1;
    if (hWndParent != nullptr && findWindow(hWndParent) == nullptr) return 0;
    HWND dialog = createDialogWindow(*layout, hWndParent, lpDialogFunc);
    disable(hWndParent);
    qv::backend().dialogShown(qv::DialogFacts{dialog, hWndParent, layout});
    sendMessage(dialog, WM_INITDIALOG, 0, dwInitParam);
    // The dialog's own modal loop: messages for every window of the thread are dispatched
    // (the owner still repaints), but without the program's accelerator table.
    for (;;) {
        qv::pumpPendingMessages();
        Window* w = findWindow(dialog);
        if (w == nullptr || w->dialogEnded) break;
        qv::ModalReply reply = qv::backend().awaitDialogAnswer(dialog);
        deliverDialogAnswer(dialog, *layout, reply.answer);
        w = findWindow(dialog);
        if (w == nullptr || w->dialogEnded) break;
    }
    Window* w = findWindow(dialog);
    INT_PTR result = w ? w->dialogResult : 0;
    DestroyWindow(dialog);
    enable(hWndParent);
    qv::backend().dialogEnded(dialog, result);
    return result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
    Window* w = findWindow(hDlg);
    if (w == nullptr || !w->isDialog) return FALSE;
    w->dialogEnded = true;
    w->dialogResult = nResult;
    return TRUE;
}

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA lpofn) {
    if (lpofn == nullptr ||
        (lpofn->lStructSize != OPENFILENAME_SIZE_VERSION_400A && lpofn->lStructSize != sizeof(OPENFILENAMEA))) {
        qv::backend().noticeFault("GetOpenFileNameA: lStructSize is neither the 4.0 nor the full structure size");
        return FALSE;
    }
    if (lpofn->lpstrFile == nullptr || lpofn->nMaxFile == 0) {
        qv::backend().noticeFault("GetOpenFileNameA: no file-name buffer");
        return FALSE;
    }
    disable(lpofn->hwndOwner);
    qv::FileChoice choice = qv::backend().runOpenDialog(*lpofn);
    std::string chosenFolder;
    qv::FileDialogOutcome outcome = writeChoice(*lpofn, choice, chosenFolder);
    // Without OFN_NOCHANGEDIR the dialog leaves the process in the chosen files' folder.
    qv::backend().openDialogAnswered(choice, outcome);
    if (outcome.result && !(lpofn->Flags & OFN_NOCHANGEDIR)) qv::backend().changeDirectory(chosenFolder);
    enable(lpofn->hwndOwner);
    return outcome.result;
}
