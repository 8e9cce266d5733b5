#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include "controls/rotary_knob_win.h"
#include "controls/waveform_view_win.h"

// A visible parent window for one control under test: it records the
// control's notifications and reads back the pixels the control painted.
class ControlTestWindow {
public:
    ControlTestWindow(const wchar_t* controlClass, const wchar_t* text, int width, int height);
    ~ControlTestWindow();
    HWND control() const { return control_; }

    std::vector<KnobNotification> knobNotifications;
    std::vector<MarkerNotification> markerNotifications;
    int wheelMessages = 0;  // passed up by the control
    // Called after each notification is recorded, inside the control's SendMessage.
    std::function<void()> onNotification;

    // Paints now and returns the control's client area as 0xAARRGGBB pixels, row by row.
    std::vector<uint32_t> capture();
    uint32_t pixel(const std::vector<uint32_t>& pixels, int x, int y) const {
        return pixels[size_t(y) * width_ + x] | 0xFF000000u;
    }
    void pumpMessages();
    // Puts the pointer at a client point of the control and returns the cursor
    // that the control's WM_SETCURSOR sets there (an I-beam beforehand).
    HCURSOR cursorAt(int x, int y);

    static LRESULT CALLBACK parentProcedure(HWND, UINT, WPARAM, LPARAM);

private:
    HWND parent_ = nullptr;
    HWND control_ = nullptr;
    int width_, height_;
};

// A system colour as opaque 0xAARRGGBB, as the controls paint it.
inline uint32_t systemColour(int index) {
    COLORREF c = GetSysColor(index);
    return 0xFF000000u | GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

// How far apart two colours are: the sum of the channel differences.
inline int colourDistance(uint32_t a, uint32_t b) {
    int d = 0;
    for (int shift : {16, 8, 0}) d += abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF));
    return d;
}

// A control that its parent destroys from inside one of its notifications.
// Its state (the block its extra bytes point to) is freed then, and the next
// allocation of that size takes the block at once and fills it with a
// pattern, as any other code running on could: whatever the control touches
// of its state once the notification returns shows in the pattern.
class DestroyedInNotification {
public:
    explicit DestroyedInNotification(ControlTestWindow& window);
    ~DestroyedInNotification();
    bool destroyed() const { return !IsWindow(control_); }
    bool blockTaken() const { return taken_ == state_; }  // else the check proves nothing
    bool untouched() const;                                // the pattern is whole
    bool freedOnce();                                      // the block was not freed again

private:
    void destroy();
    ControlTestWindow& window_;
    HWND control_;
    void* state_;
    size_t size_;
    std::vector<void*> blocks_;
    void* taken_ = nullptr;
    bool destroying_ = false;
};

// GDI+ and the control classes, once for the test program.
void startControlsForTests();
