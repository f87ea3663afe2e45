// Window classes, windows, the thread's message queue, update regions and WM_PAINT, and
// the default window procedure, with the semantics the Win32 documentation gives them.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/common/desktop.h"
#include "platform/common/state.h"

namespace qv::detail {
namespace {

constexpr std::uintptr_t HWND_BASE = 0x10000;
constexpr std::uintptr_t HDC_BASE = 0x20000;
constexpr std::uintptr_t HANDLE_STEP = 16;
constexpr ATOM FIRST_ATOM = 0xC000;  // registered class atoms start here on Windows

// The default window (CW_USEDEFAULT): at the screen's top-left corner, client 640 x 480.
constexpr LONG DEFAULT_LEFT = 0;
constexpr LONG DEFAULT_TOP = 0;
constexpr LONG DEFAULT_CLIENT_WIDTH = 640;
constexpr LONG DEFAULT_CLIENT_HEIGHT = 480;

// Where Windows parks a minimized top-level window, and the size of its icon bar.
constexpr LONG ICONIC_POS = -32000;
constexpr LONG ICONIC_WIDTH = 160;
constexpr LONG ICONIC_HEIGHT = 28;

bool isEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT unite(const RECT& a, const RECT& b) {
    if (isEmpty(a)) return b;
    if (isEmpty(b)) return a;
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

RECT intersect(const RECT& a, const RECT& b) {
    RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
           std::min(a.bottom, b.bottom)};
    return isEmpty(r) ? RECT{} : r;
}

// A window with its update region still set after WM_PAINT never called BeginPaint:
// Windows would send WM_PAINT forever. We report the fault and validate, so a scripted
// run ends instead of spinning.
void checkPaintValidated(Window& w, int paintsBefore) {
    if (w.alive && hasUpdate(w) && w.paintsBegun == paintsBefore) {
        qv::backend().noticeFault("WM_PAINT of " + qv::windowName(toHwnd(w.number)) +
                                  " left the update region invalid (no BeginPaint)");
        w.update = RECT{};
        w.erasePending = false;
    }
}

Window* windowNeedingPaint() {
    for (Window& w : state().windows)
        if (w.alive && w.visible && !w.minimized && !w.isDialog && hasUpdate(w)) return &w;
    return nullptr;
}

bool takePosted(MSG& msg) {
    State& st = state();
    if (st.posted.empty()) return false;
    msg = st.posted.front();
    st.posted.pop_front();
    return true;
}

const WindowClass* findClass(LPCSTR name) {
    for (const WindowClass& c : state().classes) {
        if (IS_INTRESOURCE(name) ? c.atom == qv::detail::resourceNumber(name) : c.name == name) return &c;
    }
    return nullptr;
}

WORD menuIdOf(LPCSTR menuName) {
    if (menuName == nullptr) return 0;
    if (IS_INTRESOURCE(menuName)) return rc::findMenu(qv::detail::resourceNumber(menuName)) ? qv::detail::resourceNumber(menuName) : 0;
    qv::backend().noticeFault(std::string("menu named \"") + menuName +
                              "\": only numbered menus are in the resource tables");
    return 0;
}

void placeWindow(Window& w, int x, int y, int width, int height) {
    RECT r = outerFromClient(w, 0, 0, DEFAULT_CLIENT_WIDTH, DEFAULT_CLIENT_HEIGHT);
    LONG outerWidth = r.right - r.left;
    LONG outerHeight = r.bottom - r.top;
    LONG left = DEFAULT_LEFT;
    LONG top = DEFAULT_TOP;
    if (x != CW_USEDEFAULT) {
        left = x;
        top = y;
    }
    if (width != CW_USEDEFAULT) {
        outerWidth = width;
        outerHeight = height;
    }
    w.windowRect = {left, top, left + outerWidth, top + outerHeight};
    clientFromOuter(w);
}

void minimize(Window& w) {
    if (w.minimized) return;
    w.restoredRect = w.windowRect;
    w.windowRect = {ICONIC_POS, ICONIC_POS, ICONIC_POS + ICONIC_WIDTH, ICONIC_POS + ICONIC_HEIGHT};
    w.minimized = true;
    w.clientWidth = 0;
    w.clientHeight = 0;
    w.update = RECT{};
    w.erasePending = false;
    sendMessage(toHwnd(w.number), WM_SIZE, SIZE_MINIMIZED, 0);
}

void restore(Window& w) {
    if (!w.minimized) return;
    w.minimized = false;
    w.windowRect = w.restoredRect;
    clientFromOuter(w);
    invalidateClient(w, nullptr, true);
    sendMessage(toHwnd(w.number), WM_SIZE, SIZE_RESTORED, MAKELPARAM(w.clientWidth, w.clientHeight));
}

void makeVisible(Window& w) {
    if (w.visible) return;
    w.visible = true;
    invalidateClient(w, nullptr, true);
}

// Alt + character that no accelerator took: the menu bar item with that mnemonic opens;
// with none, Windows beeps.
bool hasMnemonic(const char* text, char key) {
    for (const char* p = text; *p; ++p) {
        if (*p != '&') continue;
        if (p[1] == '&') {
            ++p;
            continue;
        }
        return p[1] != '\0' && std::tolower(static_cast<unsigned char>(p[1])) ==
                                   std::tolower(static_cast<unsigned char>(key));
    }
    return false;
}

void keyMenu(Window& w, char key) {
    std::string name = qv::windowName(toHwnd(w.number));
    if (key == ' ') {
        qv::backend().note("system menu of " + name + " opened by Alt+space and closed again");
        return;
    }
    if (const rc::Menu* menu = rc::findMenu(w.menuId)) {
        for (int i = 0; i < menu->count; ++i) {
            const rc::MenuItem& item = menu->items[i];
            if (item.level == 0 && hasMnemonic(item.text, key)) {
                qv::backend().note(std::string("menu \"") + item.text + "\" of " + name +
                                   " opened by its mnemonic and closed again without a choice");
                return;
            }
        }
    }
    MessageBeep(MB_OK);
}

}  // namespace

State& state() {
    static State st;
    return st;
}

HWND toHwnd(int number) {
    return reinterpret_cast<HWND>(HWND_BASE + static_cast<std::uintptr_t>(number) * HANDLE_STEP);
}

Window* findWindow(HWND hwnd) {
    auto value = reinterpret_cast<std::uintptr_t>(hwnd);
    if (value < HWND_BASE + HANDLE_STEP || (value - HWND_BASE) % HANDLE_STEP != 0) return nullptr;
    std::uintptr_t number = (value - HWND_BASE) / HANDLE_STEP;
    auto& windows = state().windows;
    if (number > windows.size()) return nullptr;
    Window& w = windows[number - 1];
    return w.alive ? &w : nullptr;
}

HDC paintDc(const Window& window) {
    return reinterpret_cast<HDC>(HDC_BASE + static_cast<std::uintptr_t>(window.number) * HANDLE_STEP);
}

Window* windowOfDc(HDC hdc) {
    auto value = reinterpret_cast<std::uintptr_t>(hdc);
    if (value < HDC_BASE) return nullptr;
    return findWindow(reinterpret_cast<HWND>(value - HDC_BASE + HWND_BASE));
}

LRESULT sendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = findWindow(hwnd);
    if (w == nullptr || w->proc == nullptr) return 0;
    return w->proc(hwnd, message, wParam, lParam);
}

void postMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    State& st = state();
    st.posted.push_back(MSG{hwnd, message, wParam, lParam, ++st.clock, POINT{0, 0}});
}

bool hasUpdate(const Window& window) { return !isEmpty(window.update); }

void invalidateClient(Window& window, const RECT* area, bool erase) {
    RECT client{0, 0, window.clientWidth, window.clientHeight};
    RECT r = area ? intersect(*area, client) : client;
    if (isEmpty(r)) return;
    window.update = unite(window.update, r);
    window.erasePending = window.erasePending || erase;
}

void disable(HWND hwnd) {
    if (Window* w = findWindow(hwnd)) ++w->disabledBy;
}

void enable(HWND hwnd) {
    if (Window* w = findWindow(hwnd); w && w->disabledBy > 0) --w->disabledBy;
}

bool enabled(const Window& window) { return window.disabledBy == 0; }

RECT outerFromClient(const Window& window, LONG left, LONG top, LONG width, LONG height) {
    LONG above = FRAME + ((window.style & WS_CAPTION) == WS_CAPTION ? CAPTION : 0) +
                 (window.menuId != 0 ? MENU_BAR : 0);
    return {left, top, left + width + 2 * FRAME, top + height + above + FRAME};
}

void clientFromOuter(Window& window) {
    RECT probe = outerFromClient(window, 0, 0, 0, 0);
    window.clientWidth = std::max<LONG>(0, window.windowRect.right - window.windowRect.left - probe.right);
    window.clientHeight =
        std::max<LONG>(0, window.windowRect.bottom - window.windowRect.top - probe.bottom);
}

void resizeClientArea(Window& w, LONG width, LONG height) {
    if (w.minimized) {
        w.restoredRect = outerFromClient(w, w.restoredRect.left, w.restoredRect.top, width, height);
        restore(w);
        return;
    }
    LONG oldWidth = w.clientWidth;
    LONG oldHeight = w.clientHeight;
    w.windowRect = outerFromClient(w, w.windowRect.left, w.windowRect.top, width, height);
    clientFromOuter(w);
    bool redrawAll = (width != oldWidth && (w.classStyle & CS_HREDRAW)) ||
                     (height != oldHeight && (w.classStyle & CS_VREDRAW));
    if (redrawAll) {
        invalidateClient(w, nullptr, true);
    } else {
        // Without the redraw styles only the newly uncovered strips need painting.
        RECT right{oldWidth, 0, width, height};
        RECT below{0, oldHeight, width, height};
        invalidateClient(w, &right, true);
        invalidateClient(w, &below, true);
    }
    sendMessage(toHwnd(w.number), WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
}

void minimizeWindow(Window& w) { minimize(w); }
void restoreWindow(Window& w) { restore(w); }

}  // namespace qv::detail

using namespace qv::detail;

// ---------------------------------------------------------------- classes and windows

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* wc) {
    if (wc == nullptr || wc->cbSize != sizeof(WNDCLASSEXA) || wc->lpfnWndProc == nullptr ||
        wc->lpszClassName == nullptr || IS_INTRESOURCE(wc->lpszClassName) ||
        findClass(wc->lpszClassName) != nullptr)
        return 0;
    State& st = state();
    auto atom = static_cast<ATOM>(FIRST_ATOM + st.classes.size());
    st.classes.push_back(WindowClass{wc->lpszClassName, atom, wc->style, wc->lpfnWndProc,
                                     wc->hbrBackground, menuIdOf(wc->lpszMenuName)});
    return atom;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle,
                            int X, int Y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu,
                            HINSTANCE hInstance, LPVOID lpParam) {
    const WindowClass* cls = lpClassName ? findClass(lpClassName) : nullptr;
    if (cls == nullptr) return nullptr;
    State& st = state();
    Window w;
    w.number = static_cast<int>(st.windows.size()) + 1;
    w.alive = true;
    w.className = cls->name;
    w.title = lpWindowName ? lpWindowName : "";
    w.style = dwStyle;
    w.classStyle = cls->style;
    w.proc = cls->proc;
    w.background = cls->background;
    w.owner = hWndParent;
    // A top-level window without a menu of its own gets its class's menu.
    w.menuId = hMenu == nullptr ? cls->menuId : 0;
    placeWindow(w, X, Y, nWidth, nHeight);
    st.windows.push_back(w);
    HWND hwnd = toHwnd(w.number);
    Window& created = st.windows.back();
    qv::backend().windowCreated(qv::WindowFacts{hwnd, created.number, created.className.c_str(),
                                                created.title.c_str(), created.style,
                                                created.windowRect,
                                                RECT{0, 0, created.clientWidth, created.clientHeight},
                                                created.menuId});
    CREATESTRUCTA cs{lpParam,           hInstance,  hMenu, hWndParent, nHeight, nWidth, Y, X,
                     static_cast<LONG>(dwStyle), lpWindowName, lpClassName, dwExStyle};
    if (sendMessage(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    if (Window* live = findWindow(hwnd)) {
        // Windows follows WM_CREATE with the first WM_SIZE, before the window is shown.
        sendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(live->clientWidth, live->clientHeight));
    }
    if (findWindow(hwnd) == nullptr) return nullptr;
    if (dwStyle & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow) {
    Window* w = findWindow(hWnd);
    if (w == nullptr) return FALSE;
    BOOL wasVisible = w->visible ? TRUE : FALSE;
    qv::backend().windowShown(hWnd, nCmdShow);
    switch (nCmdShow) {
    case SW_HIDE:
        w->visible = false;
        break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case 7:   // SW_SHOWMINNOACTIVE
    case 11:  // SW_FORCEMINIMIZE
        w->visible = true;
        minimize(*w);
        break;
    case SW_RESTORE:
        makeVisible(*w);
        restore(*w);
        break;
    default:  // normal, default, maximized (our desktop has one size for it) and the rest
        makeVisible(*w);
        break;
    }
    return wasVisible;
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
    Window* w = findWindow(hWnd);
    if (w == nullptr) return FALSE;
    if (w->visible && !w->minimized && hasUpdate(*w)) {
        int before = w->paintsBegun;
        sendMessage(hWnd, WM_PAINT, 0, 0);
        if (Window* after = findWindow(hWnd)) checkPaintValidated(*after, before);
    }
    return TRUE;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    Window* w = findWindow(hWnd);
    if (w == nullptr || w->destroying) return FALSE;
    w->destroying = true;
    w->visible = false;
    sendMessage(hWnd, WM_DESTROY, 0, 0);
    w = findWindow(hWnd);
    w->alive = false;
    State& st = state();
    std::erase_if(st.posted, [hWnd](const MSG& m) { return m.hwnd == hWnd; });
    if (st.clipboard.owner == hWnd) st.clipboard.owner = nullptr;
    if (!w->isDialog) qv::backend().windowDestroyed(hWnd);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect) {
    Window* w = findWindow(hWnd);
    if (w == nullptr || lpRect == nullptr) return FALSE;
    *lpRect = RECT{0, 0, w->clientWidth, w->clientHeight};
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect) {
    Window* w = findWindow(hWnd);
    if (w == nullptr || lpRect == nullptr) return FALSE;
    *lpRect = w->windowRect;
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
    if (hWnd == nullptr) {  // null: every window is redrawn
        for (Window& w : state().windows)
            if (w.alive) invalidateClient(w, nullptr, bErase != FALSE);
        return TRUE;
    }
    Window* w = findWindow(hWnd);
    if (w == nullptr) return FALSE;
    invalidateClient(*w, lpRect, bErase != FALSE);
    return TRUE;
}

// ---------------------------------------------------------------- the message queue

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND, UINT, UINT) {
    State& st = state();
    for (;;) {
        if (takePosted(*lpMsg)) return TRUE;
        // The quit message comes once nothing is posted, ahead of any paint.
        if (st.quitPosted) {
            st.quitPosted = false;
            *lpMsg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(st.quitCode), 0, ++st.clock, POINT{0, 0}};
            return FALSE;
        }
        if (Window* w = windowNeedingPaint()) {
            *lpMsg = MSG{toHwnd(w->number), WM_PAINT, 0, 0, ++st.clock, POINT{0, 0}};
            return TRUE;
        }
        qv::backend().waitForInput();
    }
}

void WINAPI PostQuitMessage(int nExitCode) {
    State& st = state();
    st.quitPosted = true;
    st.quitCode = nExitCode;
}

BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
    // Our desktop delivers characters as WM_CHAR / WM_SYSCHAR already; a key message is
    // reported as translated, as Windows does for every key-down.
    return lpMsg && (lpMsg->message == WM_KEYDOWN || lpMsg->message == WM_SYSKEYDOWN) ? TRUE : FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg) {
    if (lpMsg == nullptr) return 0;
    Window* w = findWindow(lpMsg->hwnd);
    if (w == nullptr) return 0;
    if (lpMsg->message != WM_PAINT) return sendMessage(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
    int before = w->paintsBegun;
    LRESULT result = sendMessage(lpMsg->hwnd, WM_PAINT, lpMsg->wParam, lpMsg->lParam);
    if (Window* after = findWindow(lpMsg->hwnd)) checkPaintValidated(*after, before);
    return result;
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    Window* w = findWindow(hWnd);
    if (w == nullptr) return 0;
    switch (Msg) {
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) sendMessage(hWnd, WM_CLOSE, 0, 0);
        if ((wParam & 0xFFF0) == SC_KEYMENU) keyMenu(*w, static_cast<char>(lParam));
        return 0;
    case WM_SYSCHAR:
        sendMessage(hWnd, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wParam));
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+F4 asks the window to close, through the same system command as its close box.
        if (wParam == VK_F4) postMessage(hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    case WM_ERASEBKGND:
        return w->background != nullptr ? 1 : 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hWnd, &ps);
        EndPaint(hWnd, &ps);
        return 0;
    }
    default:
        return 0;
    }
}

// ---------------------------------------------------------------- painting

HDC WINAPI BeginPaint(HWND hWnd, PAINTSTRUCT* lpPaint) {
    Window* w = findWindow(hWnd);
    if (w == nullptr || lpPaint == nullptr) return nullptr;
    *lpPaint = PAINTSTRUCT{};
    HDC hdc = paintDc(*w);
    bool erase = w->erasePending;
    lpPaint->hdc = hdc;
    lpPaint->rcPaint = w->update;
    // BeginPaint validates the whole update region.
    w->update = RECT{};
    w->erasePending = false;
    w->painting = true;
    ++w->paintsBegun;
    qv::backend().paintBegun(hWnd, lpPaint->rcPaint, erase);
    if (erase) {
        bool erased = sendMessage(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) != 0;
        lpPaint->fErase = erased ? FALSE : TRUE;
    }
    return hdc;
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT*) {
    Window* w = findWindow(hWnd);
    if (w == nullptr) return FALSE;
    if (w->painting) qv::backend().paintEnded(hWnd);
    w->painting = false;
    return TRUE;
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
    Window* w = windowOfDc(hdc);
    if (w == nullptr || !w->painting) {
        qv::backend().noticeFault("TextOutA with a device context outside BeginPaint/EndPaint");
        return FALSE;
    }
    if (c < 0 || (lpString == nullptr && c > 0)) return FALSE;
    qv::backend().textDrawn(toHwnd(w->number), x, y,
                            std::string_view(lpString ? lpString : "", static_cast<std::size_t>(c)));
    return TRUE;
}

BOOL WINAPI GetTextMetricsA(HDC hdc, TEXTMETRICA* lptm) {
    if (windowOfDc(hdc) == nullptr || lptm == nullptr) return FALSE;
    *lptm = qv::backend().textMetrics();
    return TRUE;
}

// ---------------------------------------------------------------- for backends

namespace qv {

Backend& backend() {
    Backend* b = detail::state().backend;
    if (b == nullptr) {
        std::fputs("quorvalen platform: a Win32 function was called with no desktop installed\n", stderr);
        std::abort();
    }
    return *b;
}

void pumpPendingMessages() {
    State& st = state();
    MSG msg;
    for (;;) {
        if (takePosted(msg)) {
            DispatchMessageA(&msg);
        } else if (Window* w = windowNeedingPaint()) {
            msg = MSG{toHwnd(w->number), WM_PAINT, 0, 0, ++st.clock, POINT{0, 0}};
            DispatchMessageA(&msg);
        } else {
            return;
        }
    }
}

bool quitPosted() { return state().quitPosted; }

std::string windowName(HWND window) {
    if (window == nullptr) return "none";
    auto value = reinterpret_cast<std::uintptr_t>(window);
    if (value < HWND_BASE + HANDLE_STEP || (value - HWND_BASE) % HANDLE_STEP != 0) return "w?";
    return "w" + std::to_string((value - HWND_BASE) / HANDLE_STEP);
}

HWND mainWindow() {
    auto& windows = state().windows;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (it->alive && !it->isDialog) return toHwnd(it->number);
    return nullptr;
}

}  // namespace qv
