#pragma once
#include <windows.h>

#include <cstdint>

struct WindowDpi {
    int32_t x, y;
};

// The DPI of the monitor that the window is on.
WindowDpi queryWindowDpi(HWND window);

// value x dpi / 96, truncated toward zero.
inline int32_t scaleByDpi(int32_t value, int32_t dpi) { return int32_t(int64_t(value) * dpi / 96); }
