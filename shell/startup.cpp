// Program start-up and its process-wide values: the strings, the window class, the
// settings file, the main window and the message loop.
#include "shell/resource.h"
#include "shell/shell.h"

HINSTANCE appInstance;
char windowTitle[RESOURCE_STRING_CAPACITY];
char className[RESOURCE_STRING_CAPACITY];
char settingsPath[SETTINGS_PATH_CAPACITY];
WindowPlacement windowPlacement;
int placementLoaded;

namespace {

// With these the system chooses the window's position and size itself.
constexpr WindowPlacement DEFAULT_PLACEMENT{CW_USEDEFAULT, 0, CW_USEDEFAULT, 0};

UINT messageBoxIcon(MessageIcon icon) {
    return static_cast<UINT>(icon == MessageIcon::error ? MB_ICONERROR : MB_ICONINFORMATION);
}

// right - left in 32-bit arithmetic as Windows computes it: taken in 64 bits and wrapped,
// so an absurd rectangle cannot overflow a signed int.
int32_t extent(LONG low, LONG high) {
    return static_cast<int32_t>(static_cast<int64_t>(high) - static_cast<int64_t>(low));
}

}  // namespace

void showMessageBox(MessageOwner owner, const char* text, const char* caption, MessageIcon icon) {
    MessageBoxA(static_cast<HWND>(owner), text, caption, static_cast<UINT>(MB_OK) | messageBoxIcon(icon));
}

void loadSettings(const char* commandLine) {
    placementLoaded = 0;
    if (deriveSettingsPath(commandLine, settingsPath, sizeof settingsPath)) {
        placementLoaded = loadPlacementFile(settingsPath, windowPlacement) ? 1 : 0;
    }
    if (placementLoaded == 0) windowPlacement = DEFAULT_PLACEMENT;
}

ATOM registerMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    // Every line of the page is placed from the client width, so a change of either
    // dimension repaints the whole client area.
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_QUORVALEN));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
    windowClass.lpszClassName = className;
    windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SMALL));
    return RegisterClassExA(&windowClass);
}

int createMainWindow(HINSTANCE instance, int showCommand) {
    appInstance = instance;  // before the window exists: WM_CREATE may already need it
    HWND window = CreateWindowExA(0, className, windowTitle, WS_OVERLAPPEDWINDOW,
                                  windowPlacement.x, windowPlacement.y, windowPlacement.width,
                                  windowPlacement.height, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 0;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return 1;
}

int runMessageLoop(HACCEL accelerators) {
    MSG message{};
    // GetMessageA gives 0 for the quit message and -1 on an error; either ends the loop.
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorA(message.hwnd, accelerators, &message) == 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

void saveWindowPlacement(HWND window) {
    RECT outer{};
    GetWindowRect(window, &outer);
    // No path could be derived at start-up: there is no file of ours to write.
    if (settingsPath[0] == '\0') return;
    savePlacementFile(settingsPath, {outer.left, outer.top, extent(outer.left, outer.right),
                                     extent(outer.top, outer.bottom)});
}
