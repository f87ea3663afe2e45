// What a backend calls into our Win32 layer: installing itself, turning a person's actions
// into the messages Windows would generate, and running pending messages while it waits.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/backend.h"
#include "platform/win32.h"

namespace qv {

// Installs the backend that every Win32 call of the process goes through, starting from an
// empty desktop (no classes, windows, messages, blocks or clipboard text). Installing
// nullptr tears the desktop down again, freeing whatever the program left behind.
void installBackend(Backend* backend);
Backend& backend();

// Why a person's action had no effect.
enum class InputResult { Delivered, NoWindow, WindowDisabled, NoSuchMenuItem, NotMinimized };
const char* describe(InputResult result);

// The window a person is working with: the newest top-level window still alive.
HWND mainWindow();

// Choosing a menu item by the texts the menu shows, ampersands left out ("File/Open...").
// Posts WM_COMMAND with the item's number and 0 in the high word.
InputResult chooseMenuItem(std::string_view path);
// Typing a character with Alt held: WM_SYSCHAR, which the message loop's accelerator
// table sees first. "F4" is Alt+F4: WM_SYSKEYDOWN VK_F4, which DefWindowProcA turns into
// WM_SYSCOMMAND SC_CLOSE.
InputResult typeWithAlt(char character);
InputResult pressAltF4();
// The caption's close box: WM_SYSCOMMAND SC_CLOSE.
InputResult clickCloseBox();
// The client area becomes width x height (WM_SIZE SIZE_RESTORED); the class styles decide
// what is repainted.
InputResult resizeClient(int width, int height);
InputResult minimizeWindow();
InputResult restoreWindow();
// Another window stopped covering ours: the whole client area needs painting and erasing.
InputResult exposeWindow();

// Runs posted messages and paints until nothing is left (a quit message stays queued).
// Modal loops and backends call it while a person is deciding.
void pumpPendingMessages();
bool quitPosted();

// Global memory blocks the program has allocated and not freed (the clipboard's own block
// excluded), with their total size.
struct BlockCount {
    int blocks;
    std::size_t bytes;
};
BlockCount unfreedBlocks();

// A stable name for a window in records: "w1", "w2" ... ("none" for null, "w?" when unknown).
std::string windowName(HWND window);

// Bytes as a C string literal body: \r \n \t \0 \\ \" and \xNN for anything not printable.
std::string escapeBytes(std::string_view bytes);

}  // namespace qv
