// The Windows shell of Quorvalen: program start-up, the main window and its commands,
// the About box, the Open command and the message boxes that the analysis core shows.
#pragma once

#include <cstddef>

#include "core/message.h"
#include "platform/win32.h"
#include "shell/settings.h"

// Capacity of the buffers that receive strings 103 and 109.
inline constexpr int RESOURCE_STRING_CAPACITY = 100;

// Process-wide values set during start-up and kept until exit.
extern HINSTANCE appInstance;                      // the module, for loading dialog 103
extern char windowTitle[RESOURCE_STRING_CAPACITY];  // string 103, the main window's caption
extern char className[RESOURCE_STRING_CAPACITY];    // string 109, the main window class
extern char settingsPath[SETTINGS_PATH_CAPACITY];   // empty when none could be derived
extern WindowPlacement windowPlacement;             // where the main window is created
extern int placementLoaded;                         // 1 when the settings file gave all four

// The analysis core's message boxes: MessageBoxA with one OK button and the icon asked for.
void showMessageBox(MessageOwner owner, const char* text, const char* caption, MessageIcon icon);

// Derives settingsPath from the command line and reads windowPlacement from the settings
// file, or takes the defaults that let the system place and size the window.
void loadSettings(const char* commandLine);

// Registers the main window class; the caller does not look at the result.
ATOM registerMainWindowClass(HINSTANCE instance);

// Creates, shows and updates the main window; 1 on success, 0 when it cannot be created.
int createMainWindow(HINSTANCE instance, int showCommand);

// Gets and dispatches messages, with the accelerators, until the quit message;
// returns its exit code.
int runMessageLoop(HACCEL accelerators);

// Save settings: writes the window's current outer rectangle to the settings file.
void saveWindowPlacement(HWND window);

// The Open command: the Open dialog, then each chosen file loaded in turn.
void openDataFiles(HWND owner);

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
