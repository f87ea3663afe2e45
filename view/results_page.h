// The results page as positioned lines of text: what the main window paints, computed
// from the analysis record and the window's metrics without touching the platform.
#pragma once

#include <cstdint>

#include "core/analysis_state.h"
#include "view/view_metrics.h"

// Room for the longest line the page can hold, so that no number is ever shown cut short:
// the longest label of a "%5.3f" line ("Mean long/short = ", 18 characters) followed by
// the widest double that "%5.3f" can write (-DBL_MAX: a sign, 309 integer digits, the
// point and three decimals, 314 characters), and the terminator. A line of the classic
// 88-byte buffer would cut results of 1e64 and more.
inline constexpr int PAGE_LINE_CAPACITY = 18 + 314 + 1;

struct PageLine {
    int32_t x;       // left edge of the text; negative when the window is too narrow
    int32_t y;       // top of the text
    int32_t length;  // characters of text, without the terminator
    char text[PAGE_LINE_CAPACITY];
};

// The heading and the 37 lines of results.
inline constexpr int RESULTS_PAGE_LINES = 38;

struct ResultsPage {
    int32_t count;  // 1 (the heading alone) while dataValid is 0, else RESULTS_PAGE_LINES
    PageLine lines[RESULTS_PAGE_LINES];
};

// Lays out the page for the state and metrics given; reads nothing else.
ResultsPage layoutResultsPage(const AnalysisState& state, const ViewMetrics& metrics);
