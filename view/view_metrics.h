// The three pixel metrics of the main window that place every line of the results page.
#pragma once

#include <cstdint>

struct ViewMetrics {
    int32_t clientWidth;  // client area width; follows every WM_SIZE (0 to 65535)
    int32_t charWidth;    // the window font's average character width (tmAveCharWidth)
    int32_t lineHeight;   // the window font's character height, without external leading
};

// The process's one instance, that of the main window: all zero until WM_CREATE.
extern ViewMetrics viewMetrics;
