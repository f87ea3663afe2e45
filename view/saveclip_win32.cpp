// SaveClip: the clipboard half. The text goes into a movable global block, which the
// clipboard owns once SetClipboardData has taken it; on every other path the block is ours
// to free.
#include "core/analysis_state.h"
#include "view/saveclip_text.h"
#include "view/view_win32.h"

namespace {

// Builds the text in a new movable block sized to the text actually built plus its NUL
// (a value of 1000 um or more makes a line wider than 8 bytes). nullptr when the block
// cannot be allocated or locked; a block that cannot be locked is freed.
HGLOBAL buildClipboardBlock(const AnalysisState& state) {
    SIZE_T size = saveClipTextLength(state) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr) return nullptr;
    void* bytes = GlobalLock(block);
    if (bytes == nullptr) {
        GlobalFree(block);
        return nullptr;
    }
    writeSaveClipText(state, static_cast<char*>(bytes), size);
    GlobalUnlock(block);
    return block;
}

// Hands the block to the clipboard. When another window holds the clipboard open, or the
// clipboard does not take the block, the block is freed (the clipboard is left empty in
// the second case, by EmptyClipboard).
void giveToClipboard(HWND window, HGLOBAL block) {
    if (OpenClipboard(window) == 0) {
        GlobalFree(block);
        return;
    }
    EmptyClipboard();
    bool taken = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    if (!taken) GlobalFree(block);
}

}  // namespace

void saveClipCommand(HWND window) {
    // The list holds every value only below its capacity; this test comes first.
    if (analysisState.totalElements >= SAVECLIP_CAPACITY) {
        MessageBoxA(window, "Too many cells for SaveClip", nullptr, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (analysisState.dataValid == 0) {
        MessageBoxA(window, "No data to copy", nullptr, MB_OK | MB_ICONINFORMATION);
        return;
    }
    HGLOBAL block = buildClipboardBlock(analysisState);
    if (block != nullptr) giveToClipboard(window, block);
    // Allocation and clipboard failures are not reported; the beep sounds either way.
    MessageBeep(MB_OK);
}
