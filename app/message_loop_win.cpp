#include "app/message_loop_win.h"

#include <windowsx.h>

#include "app/main_window_win.h"
#include "app/window_keys_win.h"
#include "controls/waveform_view_win.h"

// Resting the pointer on the Decay knob shows the decay envelope over the
// waveform; the view redraws only when that changes. Not during a drag.
static void signalHover(const MSG& message) {
    POINT point = {GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam)};
    if (message.hwnd != mainWindow.window) MapWindowPoints(message.hwnd, mainWindow.window, &point, 1);
    bool inside = PtInRect(&mainWindow.hoverRect, point) != FALSE;
    SendMessageW(controlWindow(Control::WaveformView), WV_SHOWOVERLAY, inside ? 1 : 0, 0);
}

// In a field Ctrl+Z (and Ctrl+Y, Ctrl+Shift+Z) undo the typing in the field,
// as in every other program; the card's Undo waits until the field is left.
static bool isFieldUndoKey(const MSG& message) {
    return message.message == WM_KEYDOWN && (message.wParam == 'Z' || message.wParam == 'Y') &&
           (GetKeyState(VK_CONTROL) & 0x8000) && focusIsA(L"Edit");
}

void handleLoopMessage(MSG& message, HACCEL accelerators) {
    HWND window = mainWindow.window;
    // Nothing of the menu runs in the middle of a drag (a marker, a knob, the
    // list): an Undo then would leave the drag working on another card.
    if (window && accelerators && !GetCapture() && !isFieldUndoKey(message) &&
        TranslateAcceleratorW(window, accelerators, &message))
        return;
    if (window && message.message == WM_MOUSEMOVE && !(message.wParam & MK_LBUTTON)) signalHover(message);
    if (window && handleWindowKey(message)) return;
    if (window && IsDialogMessageW(window, &message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

uint32_t runMessageLoop(HACCEL accelerators) {
    MSG message = {};
    for (;;) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        handleLoopMessage(message, accelerators);
    }
    return uint32_t(message.wParam);
}
