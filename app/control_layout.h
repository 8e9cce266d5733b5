#pragma once
#include <cstdint>

#include "app/control_table.h"
#include "controls/window_dpi.h"

// Where the controls go at a DPI: every position and size of the table
// scaled on its own (x and widths by the DPI's x, y and heights by its y),
// so a DPI change moves everything and a change of window size nothing.

struct ControlRect {
    int32_t x, y, width, height;
};

struct ClientSize {
    int32_t width, height;
};

ControlRect controlRect(const ControlSpec& row, WindowDpi dpi);
inline ControlRect controlRect(Control control, WindowDpi dpi) { return controlRect(controlSpec(control), dpi); }
ClientSize mainClientSize(WindowDpi dpi);

// The height of a font of `points` at the DPI, negative as LOGFONT takes a
// character height: -(dpiY x points / 72), truncated toward zero.
int32_t fontHeightForPoints(uint32_t points, int32_t dpiY);

constexpr uint32_t kBaseFontPoints = 10;
