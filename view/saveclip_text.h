// The SaveClip text: every circularized value since the last reset, in load order, in
// micrometres ("%6.2f" of the value divided by 1e-6), one CR LF line each.
#pragma once

#include <cstddef>
#include <string>

#include "core/analysis_state.h"

// Bytes of the text, without the final NUL: 0 unless 0 <= totalElements < SAVECLIP_CAPACITY.
// A clipboard block of saveClipTextLength + 1 bytes holds the whole text, however wide
// its lines (a value of 1000 um or more gives a line longer than 8 bytes).
std::size_t saveClipTextLength(const AnalysisState& state);

// Writes the text and a final NUL into out, never more than capacity bytes in all (a text
// that does not fit is cut, still terminated). Returns the length of the whole text, as
// saveClipTextLength does.
std::size_t writeSaveClipText(const AnalysisState& state, char* out, std::size_t capacity);

// The same text as a string, for tools and tests.
std::string buildSaveClipText(const AnalysisState& state);
