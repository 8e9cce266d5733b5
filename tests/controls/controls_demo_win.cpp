// Shows the two custom controls with sample data, for looking at them
// (tools/screenshot_controls.sh takes pictures at 96 and 144 DPI).
#include <windows.h>

#include <commctrl.h>
#include <gdiplus.h>

#include <cmath>
#include <vector>

#include "controls/window_dpi_win.h"
#include "controls/rotary_knob_win.h"
#include "controls/waveform_view_win.h"
#include "core/text.h"

static std::vector<float> samples, envelope;

static LRESULT CALLBACK demoProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&init);
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    registerRotaryKnobClass(instance);
    registerWaveformViewClass(instance);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = demoProcedure;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"CorvaneControlsDemo";
    RegisterClassW(&windowClass);

    HWND window = CreateWindowExW(0, L"CorvaneControlsDemo", L"Controls", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                  nullptr, nullptr, instance, nullptr);
    WindowDpi dpi = queryWindowDpi(window);
    auto x = [&](int v) { return scaleByDpi(v, dpi.x); };
    auto y = [&](int v) { return scaleByDpi(v, dpi.y); };
    SetWindowPos(window, nullptr, 0, 0, x(560), y(140), SWP_NOZORDER);
    LOGFONTW description = {};
    description.lfHeight = -(dpi.y * 10 / 72);
    lstrcpyW(description.lfFaceName, L"Segoe UI");
    HFONT font = CreateFontIndirectW(&description);

    HWND view = CreateWindowExW(0, kWaveformViewClass, L"", WS_CHILD | WS_VISIBLE, x(10), y(10), x(420), y(120),
                                window, nullptr, instance, nullptr);
    HWND decay = CreateWindowExW(0, kRotaryKnobClass, L"Decay", WS_CHILD | WS_VISIBLE | WS_TABSTOP, x(440), y(20),
                                 x(50), y(90), window, nullptr, instance, nullptr);
    HWND boost = CreateWindowExW(0, kRotaryKnobClass, L"Boost", WS_CHILD | WS_VISIBLE | WS_TABSTOP, x(500), y(20),
                                 x(50), y(90), window, nullptr, instance, nullptr);
    SendMessageW(view, WM_SETFONT, WPARAM(font), TRUE);
    SendMessageW(decay, WM_SETFONT, WPARAM(font), TRUE);
    SendMessageW(boost, WM_SETFONT, WPARAM(font), TRUE);

    double one = 1, top = 255, ten = 10, zero = 0, decayValue = 64, boostValue = 6;
    SendMessageW(decay, KM_SETMIN, WPARAM(&one), 0);
    SendMessageW(decay, KM_SETMAX, WPARAM(&top), 0);
    SendMessageW(decay, KM_SETDECIMALS, 0, 0);
    SendMessageW(decay, KM_SETVALUE, WPARAM(&decayValue), 0);
    SendMessageW(decay, KM_SETRING, 1, 0);
    Utf16View unit = viewOf(u"dB");
    SendMessageW(boost, KM_SETMIN, WPARAM(&zero), 0);
    SendMessageW(boost, KM_SETMAX, WPARAM(&ten), 0);
    SendMessageW(boost, KM_SETDECIMALS, 0, 0);
    SendMessageW(boost, KM_SETUNIT, WPARAM(&unit), 0);
    SendMessageW(boost, KM_SETVALUE, WPARAM(&boostValue), 0);

    // A plucked tone with its decay envelope, and the start and end markers.
    const uint32_t count = 60000, decayLength = 45000;
    samples.resize(count);
    envelope.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        float gain = i < 2000 ? 0.0f : (i - 2000 < decayLength ? 1.0f - float(i - 2000) / decayLength : 0.0f);
        envelope[i] = gain;
        samples[i] = 0.95f * std::exp(-float(i) / 15000.0f) * std::sin(0.02f * i) * std::sin(0.0011f * i + 0.4f) * (i < 2000 ? 1.0f : gain);
    }
    SendMessageW(view, WV_SETPRIMARY, WPARAM(samples.data()), count);
    SendMessageW(view, WV_SETOVERLAY, WPARAM(envelope.data()), count);
    SendMessageW(view, WV_SHOWOVERLAY, 1, 0);
    SendMessageW(view, WV_ADDMARKER, 'S', 0);
    SendMessageW(view, WV_ADDMARKER, 'E', 0);
    SendMessageW(view, WV_SETMARKERMAX, 0, 52000);
    SendMessageW(view, WV_SETMARKERPOS, 0, 2000);
    SendMessageW(view, WV_SETMARKERMIN, 1, 2000);
    SendMessageW(view, WV_SETMARKERPOS, 1, 52000);
    SendMessageW(view, WV_SETPLAYPOSITION, 21000, 0);
    SetFocus(boost);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
