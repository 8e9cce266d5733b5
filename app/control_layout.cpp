#include "app/control_layout.h"

ControlRect controlRect(const ControlSpec& row, WindowDpi dpi) {
    return {scaleByDpi(row.x, dpi.x), scaleByDpi(row.y, dpi.y), scaleByDpi(row.width, dpi.x),
            scaleByDpi(row.height, dpi.y)};
}

ClientSize mainClientSize(WindowDpi dpi) {
    return {scaleByDpi(kClientWidth, dpi.x), scaleByDpi(kClientHeight, dpi.y)};
}

int32_t fontHeightForPoints(uint32_t points, int32_t dpiY) {
    return int32_t(int64_t(dpiY) * int64_t(points) / -72);
}
