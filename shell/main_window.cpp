// The main window procedure and its commands, and the About box: tables from message
// and command to a named handler, each of which unpacks its parameters and calls one thing.
#include "core/analysis_state.h"
#include "core/data_file.h"
#include "shell/resource.h"
#include "shell/shell.h"
#include "view/view_metrics.h"
#include "view/view_win32.h"

namespace {

// ---- Commands: the menu items and the accelerators ----

// Open and Clear change what the page shows, so both repaint the whole client area,
// erasing it first; Open does so even when the dialog was cancelled.
void repaintPage(HWND window) { InvalidateRect(window, nullptr, TRUE); }

void onOpen(HWND window) {
    openDataFiles(window);
    repaintPage(window);
}

void onClear(HWND window) {
    resetAnalysis(analysisState);
    analysisState.dataValid = 0;
    repaintPage(window);
}

void onSaveSettings(HWND window) { saveWindowPlacement(window); }

void onFileFormat(HWND window) {
    MessageBoxA(window, FILE_FORMAT_TEXT, "File format", MB_OK | MB_ICONINFORMATION);
}

void onSaveClip(HWND window) { saveClipCommand(window); }

void onAbout(HWND window) {
    DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_ABOUTBOX), window, aboutDialogProc, 0);
}

// WM_DESTROY follows and ends the message loop.
void onExit(HWND window) { DestroyWindow(window); }

struct CommandHandler {
    WORD command;
    void (*handle)(HWND window);
};

constexpr CommandHandler COMMAND_HANDLERS[] = {
    {CMD_OPEN, onOpen},
    {CMD_CLEAR, onClear},
    {CMD_SAVE_SETTINGS, onSaveSettings},
    {CMD_FILE_FORMAT, onFileFormat},
    {CMD_SAVECLIP, onSaveClip},
    {CMD_ABOUT, onAbout},
    {CMD_EXIT, onExit},
};

// ---- Messages ----

LRESULT onCreate(HWND window, WPARAM, LPARAM) {
    resetAnalysis(analysisState);
    FontMetrics font = measureWindowFont(window);
    viewMetrics.charWidth = font.charWidth;
    viewMetrics.lineHeight = font.lineHeight;
    RECT client{};
    GetClientRect(window, &client);
    viewMetrics.clientWidth = client.right;
    return 0;
}

// Every kind of size change, minimising included (width 0). No repaint is asked for here:
// CS_HREDRAW | CS_VREDRAW make the system repaint the whole client area.
LRESULT onSize(HWND, WPARAM, LPARAM lParam) {
    viewMetrics.clientWidth = LOWORD(lParam);
    return 0;
}

LRESULT onPaint(HWND window, WPARAM, LPARAM) {
    paintResultsPage(window);
    return 0;
}

// The high word says menu (0) or accelerator (1); both act alike.
LRESULT onCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    WORD command = LOWORD(wParam);
    for (const CommandHandler& handler : COMMAND_HANDLERS) {
        if (handler.command == command) {
            handler.handle(window);
            return 0;
        }
    }
    return DefWindowProcA(window, WM_COMMAND, wParam, lParam);
}

LRESULT onDestroy(HWND, WPARAM, LPARAM) {
    PostQuitMessage(0);
    return 0;
}

struct MessageHandler {
    UINT message;
    LRESULT (*handle)(HWND window, WPARAM wParam, LPARAM lParam);
};

// WM_CLOSE is not here: DefWindowProcA destroys the window, so the close box and Alt+F4
// end the program as Exit does, without a question and without saving anything.
constexpr MessageHandler MESSAGE_HANDLERS[] = {
    {WM_CREATE, onCreate},   {WM_SIZE, onSize},       {WM_PAINT, onPaint},
    {WM_COMMAND, onCommand}, {WM_DESTROY, onDestroy},
};

}  // namespace

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    for (const MessageHandler& handler : MESSAGE_HANDLERS) {
        if (handler.message == message) return handler.handle(window, wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// IDOK comes from the OK button and Enter, IDCANCEL from Esc and the close box. The system
// puts the focus on the OK button itself, so WM_INITDIALOG has nothing to do.
INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message != WM_COMMAND) return FALSE;
    WORD command = LOWORD(wParam);
    if (command != IDOK && command != IDCANCEL) return FALSE;
    EndDialog(dialog, command);
    return TRUE;
}
