// The files chosen in the Open dialog: walking the file-name buffer that the dialog fills
// with OFN_EXPLORER | OFN_ALLOWMULTISELECT, and handing each file to the analysis.
// Platform-free, so that the walk and its bounds can be tested without a desktop.
#pragma once

#include <cstddef>

#include "core/analysis_state.h"
#include "core/message.h"

// The Open dialog's file-name buffer: a folder and many names fit, and a selection that
// needs more makes the dialog fail rather than be cut.
inline constexpr std::size_t OPEN_FILE_BUFFER_CAPACITY = 2600;

// Joins a multiple selection's folder and names. Windows writes "\"; Linux paths use "/".
#ifdef _WIN32
inline constexpr char FOLDER_SEPARATOR = '\\';
#else
inline constexpr char FOLDER_SEPARATOR = '/';
#endif

// Where the walk through the buffer stands.
struct SelectionCursor {
    const char* buffer;
    std::size_t capacity;
    std::size_t folderLength;  // length of the first string: the folder, or the single path
    std::size_t position;      // start of the next name
    bool single;               // one file: the first string is its full path
    bool done;
};

// Starts the walk over what the dialog returned. One file was chosen when fileOffset
// (nFileOffset) points inside the first string; several when it points past it: then the
// buffer holds the folder, a NUL, each name with its NUL, and one more NUL.
SelectionCursor beginSelection(const char* buffer, std::size_t capacity, std::size_t fileOffset);

// Writes the next chosen file's full path into out: the single path as it stands, or the
// folder, separator and name (the separator is added even after a folder that ends with
// one, as a drive's root does). Returns false when no name is left. Nothing is read past
// the buffer's capacity, and a name without its terminator inside the buffer ends the walk.
// With outCapacity at least the buffer's capacity every path fits; a path that would not
// fit out ends the walk rather than be cut.
bool nextSelectedPath(SelectionCursor& cursor, char separator, char* out, std::size_t outCapacity);

// Loads one chosen file into state. A path too long for dataFilePath cannot be opened,
// so it is reported as the reader reports a file it cannot open ("Cannot find file %s",
// error icon, no caption) and dataValid is cleared; the caller goes on with the next file.
void loadSelectedFile(AnalysisState& state, MessageOwner owner, const char* path);
