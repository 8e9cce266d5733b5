#pragma once
#include <cstdint>

// Pixel sizes are given for 96 DPI and scaled to the window's DPI.
struct WindowDpi {
    int32_t x, y;
};

// value x dpi / 96, the product in 64 bits, truncated toward zero.
inline int32_t scaleByDpi(int32_t value, int32_t dpi) { return int32_t(int64_t(value) * dpi / 96); }
