// Resources from the generated tables (strings, icons, cursors, accelerators), accelerator
// translation, and the process facts the kernel gives: command line and current folder.
#include <algorithm>
#include <cstring>

#include "platform/common/desktop.h"
#include "platform/common/state.h"

namespace qv::rc {
namespace {

template <typename T>
const T* findById(Span<T> items, WORD id) {
    for (const T& item : items)
        if (item.id == id) return &item;
    return nullptr;
}

}  // namespace

const Menu* findMenu(WORD id) { return id == 0 ? nullptr : findById(resources().menus, id); }
const AccelTable* findAccelTable(WORD id) { return findById(resources().accelTables, id); }
const DialogTemplate* findDialog(WORD id) { return findById(resources().dialogs, id); }
const StringEntry* findString(WORD id) { return findById(resources().strings, id); }
const IconGroup* findIcon(WORD id) { return findById(resources().icons, id); }

}  // namespace qv::rc

namespace {

constexpr std::uintptr_t HACCEL_BASE = 0x40000;
constexpr std::uintptr_t HICON_BASE = 0x50000;
constexpr std::uintptr_t SYSTEM_ICON_BASE = 0x58000;
constexpr std::uintptr_t HCURSOR_BASE = 0x70000;
// The system's own icons (IDI_APPLICATION ...) and cursors (IDC_ARROW ...) by number.
constexpr WORD FIRST_SYSTEM_ICON = 32512;
constexpr WORD LAST_SYSTEM_ICON = 32518;
constexpr WORD FIRST_SYSTEM_CURSOR = 32512;
constexpr WORD LAST_SYSTEM_CURSOR = 32651;
// WM_SYSCHAR / WM_SYSKEYDOWN lParam bit 29: the Alt key was down.
constexpr LPARAM ALT_CONTEXT = LPARAM{1} << 29;

template <typename H>
H tagged(std::uintptr_t base, WORD id) {
    return reinterpret_cast<H>(base + id);
}

const qv::rc::AccelTable* accelTableOf(HACCEL handle) {
    auto value = reinterpret_cast<std::uintptr_t>(handle);
    if (value <= HACCEL_BASE || value > HACCEL_BASE + 0xFFFF) return nullptr;
    return qv::rc::findAccelTable(static_cast<WORD>(value - HACCEL_BASE));
}

// Character entries (no FVIRTKEY) match WM_CHAR, or WM_SYSCHAR when they carry FALT;
// virtual-key entries match key-downs. Our desktop has no Shift or Ctrl, so entries that
// need them never match.
bool matches(const qv::rc::AccelEntry& e, const MSG& msg) {
    bool alt = (msg.lParam & ALT_CONTEXT) != 0;
    bool wantsAlt = (e.fVirt & FALT) != 0;
    if (e.fVirt & (FSHIFT | FCONTROL)) return false;
    if (!(e.fVirt & FVIRTKEY)) {
        bool charMessage = msg.message == WM_CHAR || msg.message == WM_SYSCHAR;
        return charMessage && msg.wParam == e.key && alt == wantsAlt && (msg.message == WM_SYSCHAR) == wantsAlt;
    }
    bool keyMessage = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    return keyMessage && msg.wParam == e.key && alt == wantsAlt;
}

}  // namespace

using namespace qv::detail;

int WINAPI LoadStringA(HINSTANCE, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
    if (lpBuffer == nullptr || cchBufferMax <= 0) return 0;
    const qv::rc::StringEntry* entry = uID <= 0xFFFF ? qv::rc::findString(static_cast<WORD>(uID)) : nullptr;
    if (entry == nullptr) {
        lpBuffer[0] = '\0';
        return 0;
    }
    std::size_t n = std::min(std::strlen(entry->text), static_cast<std::size_t>(cchBufferMax - 1));
    std::memcpy(lpBuffer, entry->text, n);
    lpBuffer[n] = '\0';
    return static_cast<int>(n);
}

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    if (!IS_INTRESOURCE(lpIconName)) return nullptr;
    WORD id = qv::detail::resourceNumber(lpIconName);
    if (hInstance == nullptr)
        return id >= FIRST_SYSTEM_ICON && id <= LAST_SYSTEM_ICON ? tagged<HICON>(SYSTEM_ICON_BASE, id) : nullptr;
    return qv::rc::findIcon(id) ? tagged<HICON>(HICON_BASE, id) : nullptr;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
    if (hInstance != nullptr || !IS_INTRESOURCE(lpCursorName)) return nullptr;  // no cursor resources
    WORD id = qv::detail::resourceNumber(lpCursorName);
    return id >= FIRST_SYSTEM_CURSOR && id <= LAST_SYSTEM_CURSOR ? tagged<HCURSOR>(HCURSOR_BASE, id) : nullptr;
}

HACCEL WINAPI LoadAcceleratorsA(HINSTANCE, LPCSTR lpTableName) {
    if (!IS_INTRESOURCE(lpTableName) || qv::rc::findAccelTable(qv::detail::resourceNumber(lpTableName)) == nullptr) return nullptr;
    return tagged<HACCEL>(HACCEL_BASE, qv::detail::resourceNumber(lpTableName));
}

int WINAPI TranslateAcceleratorA(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg) {
    const qv::rc::AccelTable* table = accelTableOf(hAccTable);
    Window* w = findWindow(hWnd);
    if (table == nullptr || lpMsg == nullptr || w == nullptr) return 0;
    for (int i = 0; i < table->count; ++i) {
        const qv::rc::AccelEntry& e = table->entries[i];
        if (!matches(e, *lpMsg)) continue;
        // A disabled window swallows the key without a command.
        if (enabled(*w)) sendMessage(hWnd, WM_COMMAND, MAKEWPARAM(e.cmd, 1), 0);
        return 1;
    }
    return 0;
}

LPSTR WINAPI GetCommandLineA() {
    State& st = state();
    if (!st.commandLineRead) {
        st.commandLine = qv::backend().commandLine();
        st.commandLineRead = true;
    }
    return st.commandLine.data();
}

DWORD WINAPI GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
    std::string folder;
    if (!qv::backend().currentDirectory(folder) || folder.size() >= 0xFFFFFFFFu) return 0;
    auto length = static_cast<DWORD>(folder.size());
    // Too small a buffer: nothing is written and the size needed, terminator included, returned.
    if (lpBuffer == nullptr || nBufferLength <= length) return length + 1;
    std::memcpy(lpBuffer, folder.c_str(), folder.size() + 1);
    return length;
}
