#include "controls/window_dpi_win.h"

namespace {

// GetDpiForMonitor lives in SHCore.dll, which older systems lack: looked up once.
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI

GetDpiForMonitorFunction dpiForMonitor() {
    static bool looked = false;
    static GetDpiForMonitorFunction function = nullptr;
    if (!looked) {
        looked = true;
        HMODULE shcore = LoadLibraryW(L"SHCore.dll");
        if (shcore)
            function = reinterpret_cast<GetDpiForMonitorFunction>(
                reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")));
    }
    return function;
}

}  // namespace

WindowDpi queryWindowDpi(HWND window) {
    if (GetDpiForMonitorFunction function = dpiForMonitor()) {
        UINT x = 0, y = 0;
        if (function(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), kEffectiveDpi, &x, &y) >= 0)
            return {int32_t(x), int32_t(y)};
    }
    HDC screen = GetDC(nullptr);
    WindowDpi dpi = {GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
    ReleaseDC(nullptr, screen);
    return dpi;
}
