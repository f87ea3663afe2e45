// The desktop's bookkeeping behind our Win32 functions: classes, windows, the thread's
// message queue, global memory and the clipboard. Internal to platform/common.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/common/resource_tables.h"
#include "platform/win32.h"

namespace qv::detail {

struct WindowClass {
    std::string name;
    ATOM atom;
    UINT style;
    WNDPROC proc;
    HBRUSH background;
    WORD menuId;  // 0 for none
};

struct Window {
    int number = 0;
    bool alive = false;
    bool destroying = false;
    bool isDialog = false;
    std::string className;
    std::string title;
    DWORD style = 0;
    UINT classStyle = 0;
    WNDPROC proc = nullptr;
    HBRUSH background = nullptr;
    HWND owner = nullptr;
    WORD menuId = 0;
    RECT windowRect{};    // outer rectangle in screen pixels
    RECT restoredRect{};  // the outer rectangle to return to after a minimize
    LONG clientWidth = 0;
    LONG clientHeight = 0;
    bool visible = false;
    bool minimized = false;
    int disabledBy = 0;  // modal boxes currently disabling this window
    // Update region, kept as its bounding rectangle.
    RECT update{};
    bool erasePending = false;
    bool painting = false;
    int paintsBegun = 0;  // BeginPaint calls, to catch a WM_PAINT that validated nothing
    // Dialogs
    DLGPROC dialogProc = nullptr;
    const rc::DialogTemplate* layout = nullptr;
    bool dialogEnded = false;
    INT_PTR dialogResult = 0;
};

struct Block {
    bool live = false;
    UINT flags = 0;
    std::vector<unsigned char> bytes;
    int lockCount = 0;
    bool ownedByClipboard = false;
};

struct Clipboard {
    bool open = false;
    HWND openedBy = nullptr;
    HWND owner = nullptr;
    HGLOBAL text = nullptr;
};

struct State {
    Backend* backend = nullptr;
    std::vector<WindowClass> classes;
    std::deque<Window> windows;  // index = number - 1; a deque keeps references stable
    std::deque<MSG> posted;
    bool quitPosted = false;
    int quitCode = 0;
    DWORD clock = 0;  // MSG.time: a counter, so records stay deterministic
    std::vector<Block> blocks;
    Clipboard clipboard;
    std::string commandLine;
    bool commandLineRead = false;
};

State& state();

// Handles are small tagged numbers, never pointers into our tables: a stale or foreign
// handle is recognised and refused instead of read through.
HWND toHwnd(int number);
Window* findWindow(HWND hwnd);  // live windows only
HDC paintDc(const Window& window);
Window* windowOfDc(HDC hdc);
HGLOBAL toHglobal(std::size_t index);
Block* findBlock(HGLOBAL handle);

// The number in a MAKEINTRESOURCE pointer.
inline WORD resourceNumber(LPCSTR name) {
    return static_cast<WORD>(reinterpret_cast<UINT_PTR>(name) & 0xFFFF);
}

LRESULT sendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void postMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void invalidateClient(Window& window, const RECT* area, bool erase);
bool hasUpdate(const Window& window);
void disable(HWND hwnd);
void enable(HWND hwnd);
bool enabled(const Window& window);

// Non-client sizes of our fixed desktop theme.
constexpr LONG FRAME = 4;
constexpr LONG CAPTION = 20;
constexpr LONG MENU_BAR = 20;
RECT outerFromClient(const Window& window, LONG left, LONG top, LONG width, LONG height);
void clientFromOuter(Window& window);
void resizeClientArea(Window& window, LONG width, LONG height);
void minimizeWindow(Window& window);
void restoreWindow(Window& window);

}  // namespace qv::detail
