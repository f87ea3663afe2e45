// The measurement data file reader: fills the per-file fields of the analysis record from
// the file named by dataFilePath and refuses the file, with one message, at its first
// problem.
#pragma once

#include "core/analysis_state.h"
#include "core/message.h"

enum class FileErrorKind {
    cannotOpen = 1,  // missing, unreadable, or a folder
    badData = 2,     // anything wrong after opening, at a given line
};

// The format summary shown by the File format command.
extern const char FILE_FORMAT_TEXT[];

// Reads the file named by state.dataFilePath into setName, scaleFactor, the three per-file
// counts and the five measurement arrays, unscaled. Returns true when the whole file was
// read and passed its checks; false after the failure has been reported.
bool readDataFile(AnalysisState& state, MessageOwner owner);

// Shows "Cannot find file %s" (cannotOpen) or "Data file %s, line %i" (badData) with the
// error icon and no caption, then clears dataValid. line is used by badData only.
void reportFileError(AnalysisState& state, FileErrorKind kind, int line, MessageOwner owner);
