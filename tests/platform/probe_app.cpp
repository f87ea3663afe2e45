// A tiny Win32 program for testing the platform layer through the headless desktop: a
// window whose menu commands exercise the Open dialog, the clipboard, boxes and dialogs,
// and whose page shows what the window knows. It uses the program's resources (menu and
// accelerators 109, dialog 103), so the resource tables are tested with it.
//
// Words in the command line change its behaviour:
//   noredraw    register the class without CS_HREDRAW | CS_VREDRAW
//   nopaint     WM_PAINT returns without BeginPaint (a fault the desktop must catch)
//   freeclip    SaveClip frees the block after the clipboard took it (a fault)
//   nomenu      register the class without a menu
//   exit=N      WM_DESTROY posts the quit message with N
//   maxfile=N   the Open dialog's buffer holds N characters (default 64)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/win32.h"
#include "shell/resource.h"

namespace {

struct Options {
    bool redrawStyles = true;
    bool paints = true;
    bool freeClipboardBlock = false;
    bool menu = true;
    int exitCode = 0;
    DWORD maxFile = 64;
};

Options options;
HINSTANCE instance;
LONG clientWidth;
LONG clientHeight;
LONG charWidth;
LONG lineHeight;
int paints;

bool hasWord(const char* line, const char* word) {
    const char* p = std::strstr(line, word);
    return p != nullptr && (p == line || p[-1] == ' ');
}

long valueAfter(const char* line, const char* key, long fallback) {
    const char* p = std::strstr(line, key);
    return p ? std::strtol(p + std::strlen(key), nullptr, 10) : fallback;
}

void readOptions(const char* line) {
    options.redrawStyles = !hasWord(line, "noredraw");
    options.paints = !hasWord(line, "nopaint");
    options.freeClipboardBlock = hasWord(line, "freeclip");
    options.menu = !hasWord(line, "nomenu");
    options.exitCode = static_cast<int>(valueAfter(line, "exit=", 0));
    options.maxFile = static_cast<DWORD>(valueAfter(line, "maxfile=", 64));
}

void say(HWND owner, const std::string& text, LPCSTR caption = "probe") {
    MessageBoxA(owner, text.c_str(), caption, MB_OK | MB_ICONINFORMATION);
}

// The buffer as the caller sees it: terminators shown as '|', up to the double terminator.
std::string shownBuffer(const char* buffer, DWORD size) {
    std::string shown;
    for (DWORD i = 0; i < size; ++i) {
        if (buffer[i] == '\0') {
            shown.push_back('|');
            if (i + 1 < size && buffer[i + 1] == '\0') break;
        } else {
            shown.push_back(buffer[i]);
        }
    }
    return shown;
}

void openCommand(HWND hwnd) {
    static char buffer[4096];
    static char folder[260];
    DWORD size = options.maxFile < sizeof buffer ? options.maxFile : static_cast<DWORD>(sizeof buffer);
    std::memset(buffer, 0, sizeof buffer);
    GetCurrentDirectoryA(sizeof folder, folder);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = hwnd;
    ofn.lpstrFilter = "Data Files\0*.dat\0";
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = size;
    ofn.lpstrInitialDir = folder;
    ofn.lpstrTitle = "Open a file";
    ofn.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT;
    BOOL ok = GetOpenFileNameA(&ofn);
    char line[128];
    if (ok) {
        std::snprintf(line, sizeof line, "returned 1, nFileOffset %u, buffer ", ofn.nFileOffset);
        say(hwnd, line + shownBuffer(buffer, size));
    } else {
        unsigned needed = unsigned{static_cast<unsigned char>(buffer[0])} |
                          (unsigned{static_cast<unsigned char>(buffer[1])} << 8);
        std::snprintf(line, sizeof line, "returned 0, first two bytes %u", needed);
        say(hwnd, line);
    }
}

// SaveClip's shape: allocate, lock, fill, unlock, open, empty, set, close; every failure
// frees the block; a beep at the end. The block is one byte longer than its text, so the
// unwritten byte shows the allocator's fill.
void clipboardCommand(HWND hwnd) {
    const char text[] = "ab\r\n";
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof text + 1);
    if (block != nullptr) {
        auto* p = static_cast<char*>(GlobalLock(block));
        if (p == nullptr) {
            GlobalFree(block);
        } else {
            std::memcpy(p, text, sizeof text);
            GlobalUnlock(block);
            if (!OpenClipboard(hwnd)) {
                GlobalFree(block);
            } else {
                EmptyClipboard();
                if (SetClipboardData(CF_TEXT, block) == nullptr) GlobalFree(block);
                else if (options.freeClipboardBlock) GlobalFree(block);
                CloseClipboard();
            }
        }
    }
    MessageBeep(MB_OK);
}

void factsCommand(HWND hwnd) {
    RECT window;
    RECT client;
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    char folder[8];
    DWORD needed = GetCurrentDirectoryA(0, nullptr);
    DWORD small = GetCurrentDirectoryA(sizeof folder, folder);
    char line[256];
    std::snprintf(line, sizeof line, "window %ld %ld %ld %ld client %ld %ld cwd needs %lu, small buffer gives %lu",
                  static_cast<long>(window.left), static_cast<long>(window.top), static_cast<long>(window.right),
                  static_cast<long>(window.bottom), static_cast<long>(client.right), static_cast<long>(client.bottom),
                  static_cast<unsigned long>(needed), static_cast<unsigned long>(small));
    say(hwnd, line + std::string(" command line ") + GetCommandLineA());
}

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

void measureFont(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    TEXTMETRICA tm;
    GetTextMetricsA(dc, &tm);
    EndPaint(hwnd, &ps);
    charWidth = tm.tmAveCharWidth;
    lineHeight = tm.tmHeight;
}

void paint(HWND hwnd) {
    if (!options.paints) return;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    ++paints;
    char line[96];
    int n = std::snprintf(line, sizeof line, "client %ld x %ld, font %ld x %ld, paint %d", static_cast<long>(clientWidth),
                          static_cast<long>(clientHeight), static_cast<long>(charWidth),
                          static_cast<long>(lineHeight), paints);
    TextOutA(dc, 0, 0, line, n);
    EndPaint(hwnd, &ps);
}

LRESULT command(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (LOWORD(wParam)) {
    case CMD_OPEN: openCommand(hwnd); return 0;
    case CMD_CLEAR: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case CMD_SAVE_SETTINGS: factsCommand(hwnd); return 0;
    case CMD_SAVECLIP: clipboardCommand(hwnd); return 0;
    case CMD_FILE_FORMAT:
        // The page is invalidated first: the owner must repaint while the box is up.
        InvalidateRect(hwnd, nullptr, TRUE);
        MessageBoxA(hwnd, "two\nlines", nullptr, MB_OK | MB_ICONERROR);
        return 0;
    case CMD_ABOUT: {
        INT_PTR r = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUTBOX), hwnd, aboutProc, 0);
        char line[64];
        std::snprintf(line, sizeof line, "About returned %ld (high word %u)", static_cast<long>(r), HIWORD(wParam));
        say(hwnd, line);
        return 0;
    }
    case CMD_EXIT: DestroyWindow(hwnd); return 0;
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: measureFont(hwnd); return 0;
    case WM_SIZE:
        clientWidth = LOWORD(lParam);
        clientHeight = HIWORD(lParam);
        return 0;
    case WM_PAINT: paint(hwnd); return 0;
    case WM_COMMAND: return command(hwnd, message, wParam, lParam);
    case WM_DESTROY: PostQuitMessage(options.exitCode); return 0;
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nShowCmd) {
    instance = hInstance;
    readOptions(lpCmdLine);
    char title[100];
    char className[100];
    LoadStringA(hInstance, IDS_APP_TITLE, title, sizeof title);
    LoadStringA(hInstance, IDS_WINDOW_CLASS, className, sizeof className);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = options.redrawStyles ? CS_HREDRAW | CS_VREDRAW : 0;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconA(hInstance, MAKEINTRESOURCEA(IDI_QUORVALEN));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<UINT_PTR>(COLOR_WINDOW + 1));
    wc.lpszMenuName = options.menu ? MAKEINTRESOURCEA(IDR_MAIN_MENU) : nullptr;
    wc.lpszClassName = className;
    wc.hIconSm = LoadIconA(hInstance, MAKEINTRESOURCEA(IDI_SMALL));
    RegisterClassExA(&wc);
    HWND hwnd = CreateWindowExA(0, className, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr,
                                nullptr, hInstance, nullptr);
    if (hwnd == nullptr) return 0;
    ShowWindow(hwnd, nShowCmd);
    UpdateWindow(hwnd);
    HACCEL accelerators = LoadAcceleratorsA(hInstance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        if (!TranslateAcceleratorA(msg.hwnd, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
