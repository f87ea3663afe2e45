// The program's entry: start-up in its fixed order, then the message loop.
#include "core/analysis_state.h"
#include "core/message.h"
#include "shell/resource.h"
#include "shell/shell.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*arguments*/, int showCommand) {
    setShowMessage(showMessageBox);
    LoadStringA(instance, IDS_APP_TITLE, windowTitle, RESOURCE_STRING_CAPACITY);
    LoadStringA(instance, IDS_WINDOW_CLASS, className, RESOURCE_STRING_CAPACITY);
    registerMainWindowClass(instance);
    // The whole command line, not the argument part: the settings file sits beside the program.
    loadSettings(GetCommandLineA());
    analysisState.dataValid = 0;
    if (createMainWindow(instance, showCommand) == 0) return 0;
    HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    return runMessageLoop(accelerators);
}
