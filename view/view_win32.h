// The thin Win32 halves of the results page and of SaveClip: painting the page, measuring
// the window's font, and putting the SaveClip text on the clipboard.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// The two font metrics that the page layout needs.
struct FontMetrics {
    int32_t charWidth;   // tmAveCharWidth
    int32_t lineHeight;  // tmHeight; the external leading is not added
};

// The whole of WM_PAINT: every line of the page, drawn in the paint context as it comes.
void paintResultsPage(HWND window);

// The metrics of the font the window paints with, taken from a paint context.
FontMetrics measureWindowFont(HWND window);

// The SaveClip command: every circularized value since the last reset onto the clipboard.
void saveClipCommand(HWND window);
