// Movable global memory and the clipboard that takes ownership of it, as Win32 has them:
// GlobalAlloc does not clear a block unless asked, a handle is not a pointer, and once
// SetClipboardData has taken a block the clipboard frees it, never the program.
#include <cstdio>
#include <cstring>

#include "platform/common/desktop.h"
#include "platform/common/state.h"

namespace qv::detail {
namespace {

constexpr std::uintptr_t HGLOBAL_BASE = 0x60000;
constexpr std::uintptr_t HGLOBAL_STEP = 16;
// New blocks hold this byte everywhere, so a text written without its terminator shows up.
constexpr unsigned char GARBAGE_BYTE = 0xCD;
constexpr SIZE_T LARGEST_BLOCK = SIZE_T{1} << 30;

void freeBlock(Block& b) {
    b.live = false;
    b.ownedByClipboard = false;
    std::vector<unsigned char>().swap(b.bytes);
}

void dropClipboardText() {
    Clipboard& clip = state().clipboard;
    if (Block* b = findBlock(clip.text)) freeBlock(*b);
    clip.text = nullptr;
}

bool injectedFailure(qv::OutsideCall call, const std::string& detail) {
    if (!qv::backend().outsideCallFails(call)) return false;
    qv::backend().outsideCallFailed(call, detail);
    return true;
}

std::string handleText(HGLOBAL h) {
    char text[32];
    std::snprintf(text, sizeof text, "block 0x%lX", static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(h)));
    return text;
}

}  // namespace

HGLOBAL toHglobal(std::size_t index) {
    return reinterpret_cast<HGLOBAL>(HGLOBAL_BASE + index * HGLOBAL_STEP);
}

Block* findBlock(HGLOBAL handle) {
    auto value = reinterpret_cast<std::uintptr_t>(handle);
    auto& blocks = state().blocks;
    if (value >= HGLOBAL_BASE && (value - HGLOBAL_BASE) % HGLOBAL_STEP == 0) {
        std::size_t index = (value - HGLOBAL_BASE) / HGLOBAL_STEP;
        if (index < blocks.size() && blocks[index].live && (blocks[index].flags & GMEM_MOVEABLE))
            return &blocks[index];
    }
    // A fixed block's handle is its address.
    for (Block& b : blocks)
        if (b.live && !(b.flags & GMEM_MOVEABLE) && !b.bytes.empty() && b.bytes.data() == handle) return &b;
    return nullptr;
}

}  // namespace qv::detail

using namespace qv::detail;

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
    if (injectedFailure(qv::OutsideCall::GlobalAlloc, std::to_string(dwBytes) + " bytes")) return nullptr;
    if (dwBytes > LARGEST_BLOCK) return nullptr;
    if (!(uFlags & GMEM_MOVEABLE) && dwBytes == 0) return nullptr;
    auto& blocks = state().blocks;
    Block b;
    b.live = true;
    b.flags = uFlags;
    b.bytes.assign(dwBytes, (uFlags & GMEM_ZEROINIT) ? 0 : GARBAGE_BYTE);
    blocks.push_back(std::move(b));
    if (!(uFlags & GMEM_MOVEABLE)) return blocks.back().bytes.data();
    return toHglobal(blocks.size() - 1);
}

LPVOID WINAPI GlobalLock(HGLOBAL hMem) {
    if (injectedFailure(qv::OutsideCall::GlobalLock, handleText(hMem))) return nullptr;
    Block* b = findBlock(hMem);
    if (b == nullptr || b->bytes.empty()) return nullptr;  // unknown, freed or zero-sized
    ++b->lockCount;
    return b->bytes.data();
}

BOOL WINAPI GlobalUnlock(HGLOBAL hMem) {
    Block* b = findBlock(hMem);
    if (b == nullptr || b->lockCount == 0) return FALSE;  // ERROR_NOT_LOCKED
    --b->lockCount;
    return b->lockCount > 0 ? TRUE : FALSE;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) {
    Block* b = findBlock(hMem);
    if (b == nullptr) {
        qv::backend().noticeFault("GlobalFree of a block that is unknown or already freed");
        return hMem;
    }
    if (b->ownedByClipboard) {
        qv::backend().noticeFault("GlobalFree of the block the clipboard owns (refused)");
        return hMem;
    }
    freeBlock(*b);
    return nullptr;
}

BOOL WINAPI OpenClipboard(HWND hWndNewOwner) {
    if (injectedFailure(qv::OutsideCall::OpenClipboard, "another window holds the clipboard open")) return FALSE;
    Clipboard& clip = state().clipboard;
    if (clip.open && clip.openedBy != hWndNewOwner) return FALSE;
    clip.open = true;
    clip.openedBy = hWndNewOwner;
    qv::backend().clipboardOpened(hWndNewOwner);
    return TRUE;
}

BOOL WINAPI EmptyClipboard() {
    Clipboard& clip = state().clipboard;
    if (!clip.open) return FALSE;  // ERROR_CLIPBOARD_NOT_OPEN
    dropClipboardText();
    clip.owner = clip.openedBy;
    qv::backend().clipboardEmptied();
    return TRUE;
}

HANDLE WINAPI SetClipboardData(UINT uFormat, HANDLE hMem) {
    Clipboard& clip = state().clipboard;
    if (!clip.open) {
        qv::backend().noticeFault("SetClipboardData without OpenClipboard");
        return nullptr;
    }
    if (injectedFailure(qv::OutsideCall::SetClipboardData, "the clipboard did not take the block")) return nullptr;
    Block* b = findBlock(hMem);
    if (uFormat != CF_TEXT || b == nullptr || !(b->flags & GMEM_MOVEABLE)) {
        qv::backend().noticeFault("SetClipboardData needs CF_TEXT and a live GMEM_MOVEABLE block");
        return nullptr;
    }
    if (clip.text != hMem) dropClipboardText();
    b->ownedByClipboard = true;
    clip.text = hMem;
    qv::backend().clipboardTextSet(
        std::string_view(reinterpret_cast<const char*>(b->bytes.data()), b->bytes.size()));
    return hMem;
}

BOOL WINAPI CloseClipboard() {
    Clipboard& clip = state().clipboard;
    if (!clip.open) return FALSE;
    clip.open = false;
    clip.openedBy = nullptr;
    qv::backend().clipboardClosed();
    return TRUE;
}

BOOL WINAPI MessageBeep(UINT uType) {
    qv::backend().beep(uType);
    return TRUE;
}

namespace qv {

BlockCount unfreedBlocks() {
    BlockCount count{0, 0};
    for (const detail::Block& b : detail::state().blocks) {
        if (b.live && !b.ownedByClipboard) {
            ++count.blocks;
            count.bytes += b.bytes.size();
        }
    }
    return count;
}

}  // namespace qv
