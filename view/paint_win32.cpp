// Painting the results page and measuring the font it is painted with.
#include "core/analysis_state.h"
#include "view/results_page.h"
#include "view/view_metrics.h"
#include "view/view_win32.h"

void paintResultsPage(HWND window) {
    PAINTSTRUCT paint{};
    HDC context = BeginPaint(window, &paint);
    // The context's defaults are kept (font, colours, opaque background, top-left alignment),
    // so the lines appear in the font that measureWindowFont measured.
    static ResultsPage page;  // several kilobytes: kept off the stack
    page = layoutResultsPage(analysisState, viewMetrics);
    for (int32_t i = 0; i < page.count; ++i) {
        const PageLine& line = page.lines[i];
        TextOutA(context, line.x, line.y, line.text, line.length);
    }
    EndPaint(window, &paint);
}

FontMetrics measureWindowFont(HWND window) {
    PAINTSTRUCT paint{};
    HDC context = BeginPaint(window, &paint);
    TEXTMETRICA metrics{};
    GetTextMetricsA(context, &metrics);
    EndPaint(window, &paint);
    return {metrics.tmAveCharWidth, metrics.tmHeight};
}
