// Shows the two custom controls with sample data, for looking at them
// (tools/screenshot_controls.sh takes pictures at 96 and 144 DPI): the
// waveform view whole, and below it zoomed in around the start marker. On its
// command line, "high-contrast" draws as under the theme High Contrast Black
// (its colours set for this session only) and "focus-waveform" gives the first
// view the focus with its end marker chosen.
#include <windows.h>

#include <cmath>
#include <iterator>
#include <vector>

#include "control_test_window.h"
#include "controls/high_contrast_win.h"
#include "controls/window_dpi_win.h"
#include "core/text.h"

static std::vector<float> samples, envelope;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    if (wcsstr(commandLine, L"high-contrast")) {
        setHighContrastSource(HighContrastSource::ForcedOn);
        const int indexes[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_GRAYTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT,
                               COLOR_HOTLIGHT, COLOR_BTNFACE, COLOR_BTNTEXT};
        const COLORREF colours[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(63, 242, 63), RGB(26, 235, 255),
                                    RGB(0, 0, 0), RGB(255, 255, 0), RGB(0, 0, 0), RGB(255, 255, 255)};
        SetSysColors(int(std::size(indexes)), indexes, colours);
    }
    startControlsForTests();  // also the class of the tests' parent window, which this one shares
    HWND window = CreateWindowExW(0, L"CorvaneControlTest", L"Controls", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                  nullptr, nullptr, instance, nullptr);
    WindowDpi dpi = queryWindowDpi(window);
    auto x = [&](int v) { return scaleByDpi(v, dpi.x); };
    auto y = [&](int v) { return scaleByDpi(v, dpi.y); };
    SetWindowPos(window, nullptr, 0, 0, x(560), y(270), SWP_NOZORDER);
    LOGFONTW description = {};
    description.lfHeight = -(dpi.y * 10 / 72);
    lstrcpyW(description.lfFaceName, L"Segoe UI");
    HFONT font = CreateFontIndirectW(&description);

    auto child = [&](const wchar_t* cls, const wchar_t* text, int left, int top, int width, int height) {
        HWND control = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP, x(left), y(top), x(width),
                                       y(height), window, nullptr, instance, nullptr);
        SendMessageW(control, WM_SETFONT, WPARAM(font), TRUE);
        return control;
    };
    auto knob = [&](const wchar_t* label, int left, double minimum, double maximum, double value) {
        HWND control = child(kRotaryKnobClass, label, left, 20, 50, 90);
        SendMessageW(control, KM_SETMIN, WPARAM(&minimum), 0);
        SendMessageW(control, KM_SETMAX, WPARAM(&maximum), 0);
        SendMessageW(control, KM_SETDECIMALS, 0, 0);
        SendMessageW(control, KM_SETVALUE, WPARAM(&value), 0);
        return control;
    };
    SendMessageW(knob(L"Decay", 440, 1, 255, 64), KM_SETRING, 1, 0);
    HWND boost = knob(L"Boost", 500, 0, 10, 6);
    Utf16View unit = viewOf(u"dB");
    SendMessageW(boost, KM_SETUNIT, WPARAM(&unit), 0);

    // A plucked tone with its decay envelope, and the start and end markers.
    const uint32_t count = 60000, decayLength = 45000;
    samples.resize(count);
    envelope.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        float gain = i < 2000 ? 0.0f : (i - 2000 < decayLength ? 1.0f - float(i - 2000) / decayLength : 0.0f);
        envelope[i] = gain;
        samples[i] = 0.95f * std::exp(-float(i) / 15000.0f) * std::sin(0.02f * i) * std::sin(0.0011f * i + 0.4f) * (i < 2000 ? 1.0f : gain);
    }
    auto view = [&](int top, uint32_t first, uint32_t shown, int32_t playPosition, bool overlay) -> HWND {
        HWND control = child(kWaveformViewClass, L"", 10, top, 420, 120);
        SendMessageW(control, WV_SETPRIMARY, WPARAM(samples.data()), count);
        SendMessageW(control, WV_SETOVERLAY, WPARAM(envelope.data()), count);
        SendMessageW(control, WV_SHOWOVERLAY, overlay, 0);
        SendMessageW(control, WV_ADDMARKER, 'S', 0);
        SendMessageW(control, WV_ADDMARKER, 'E', 0);
        SendMessageW(control, WV_SETMARKERMAX, 0, 52000);
        SendMessageW(control, WV_SETMARKERPOS, 0, 2000);
        SendMessageW(control, WV_SETMARKERMIN, 1, 2000);
        SendMessageW(control, WV_SETMARKERPOS, 1, 52000);
        SendMessageW(control, WV_SETPLAYPOSITION, playPosition, 0);
        SendMessageW(control, WV_SETVISIBLE, first, shown);
        return control;
    };
    HWND whole = view(10, 0, 0, 21000, true);
    view(140, 1400, 1600, 2600, false);
    SetFocus(boost);
    if (wcsstr(commandLine, L"focus-waveform")) {
        SetFocus(whole);
        SendMessageW(whole, WM_CHAR, 'E', 1);
        SendMessageW(window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
