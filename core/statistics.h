// Accumulated statistics: adds the file just circularized to the running sums, the
// extremes and the clipboard list, then recomputes every result since the last reset.
#pragma once

#include "core/analysis_state.h"
#include "core/message.h"

// The note shown, instead of appending, once the clipboard list would reach its capacity.
extern const char SAVECLIP_FULL_TEXT[];
extern const char SAVECLIP_FULL_CAPTION[];

// Runs once after every successful read and circularization; the totals already include
// the current file. Shows at most one message (the clipboard list note).
void accumulateStatistics(AnalysisState& state, MessageOwner owner);
