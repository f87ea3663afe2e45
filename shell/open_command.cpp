// The Open command: the system's Open dialog with multiple selection, then each chosen
// file loaded in the order the dialog lists them.
#include <algorithm>
#include <iterator>

#include "core/analysis_state.h"
#include "shell/open_selection.h"
#include "shell/shell.h"

namespace {

// The folder the dialog starts in: the process's current folder, read afresh every time,
// so the next Open starts where the dialog last left the current folder.
constexpr DWORD INITIAL_FOLDER_CAPACITY = 260;

// One filter, description then pattern; the literal's own terminator is the empty entry
// that ends the list.
constexpr char DATA_FILE_FILTER[] = "Data Files\0*.dat\0";

char fileNames[OPEN_FILE_BUFFER_CAPACITY];
char initialFolder[INITIAL_FOLDER_CAPACITY];
// A folder, the separator and a name all come out of fileNames, so they always fit here.
char chosenPath[OPEN_FILE_BUFFER_CAPACITY];

// A folder deeper than the buffer cannot be given in part: the dialog then starts where the
// system chooses (no initial folder) instead of in a cut path.
const char* readInitialFolder() {
    DWORD length = GetCurrentDirectoryA(INITIAL_FOLDER_CAPACITY, initialFolder);
    if (length == 0 || length >= INITIAL_FOLDER_CAPACITY) return nullptr;
    return initialFolder;
}

OPENFILENAMEA openDialogSettings(HWND owner, const char* folder) {
    OPENFILENAMEA settings{};
    settings.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    settings.hwndOwner = owner;
    settings.hInstance = nullptr;
    settings.lpstrFilter = DATA_FILE_FILTER;
    settings.lpstrCustomFilter = nullptr;
    settings.nMaxCustFilter = 0;
    settings.nFilterIndex = 0;
    settings.lpstrFile = fileNames;
    settings.nMaxFile = OPEN_FILE_BUFFER_CAPACITY;
    settings.lpstrFileTitle = nullptr;
    settings.nMaxFileTitle = 0;
    settings.lpstrInitialDir = folder;
    settings.lpstrTitle = "Open a file";
    settings.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT;
    settings.nFileOffset = 0;
    settings.nFileExtension = 0;
    settings.lpstrDefExt = nullptr;
    settings.lCustData = 0;
    settings.lpfnHook = nullptr;
    settings.lpTemplateName = nullptr;
    return settings;
}

}  // namespace

void openDataFiles(HWND owner) {
    std::fill(std::begin(fileNames), std::end(fileNames), '\0');  // no file name is proposed
    OPENFILENAMEA settings = openDialogSettings(owner, readInitialFolder());
    // Cancelled, or the selection did not fit: nothing is loaded and nothing is said.
    if (GetOpenFileNameA(&settings) == 0) return;
    SelectionCursor cursor = beginSelection(fileNames, sizeof fileNames, settings.nFileOffset);
    while (nextSelectedPath(cursor, FOLDER_SEPARATOR, chosenPath, sizeof chosenPath)) {
        loadSelectedFile(analysisState, owner, chosenPath);
    }
}
