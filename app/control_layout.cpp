#include "app/control_layout.h"

ControlRect controlRect(const ControlSpec& spec, WindowDpi dpi) {
    return {scaleByDpi(spec.x, dpi.x), scaleByDpi(spec.y, dpi.y), scaleByDpi(spec.width, dpi.x),
            scaleByDpi(spec.height, dpi.y)};
}

ClientSize mainClientSize(WindowDpi dpi) {
    return {scaleByDpi(kClientWidth, dpi.x), scaleByDpi(kClientHeight, dpi.y)};
}

int32_t fontHeightForPoints(uint32_t points, int32_t dpiY) {
    return int32_t(int64_t(dpiY) * int64_t(points) / -72);
}
