#include "app/window_keys_win.h"

#include "app/edit_history_win.h"
#include "app/instrument_drag_win.h"
#include "app/main_commands_win.h"
#include "app/main_refresh_win.h"
#include "app/main_window_win.h"
#include "app/preview_controls_win.h"
#include "app/program_state.h"
#include "controls/rotary_knob_win.h"

constexpr int kClassNameCapacity = 128;
// Bits of a key message's lParam: Alt was held, and the key was down already
// (a held key repeats its key-down: one press, one action).
constexpr LPARAM kAltHeld = LPARAM(1) << 29;
constexpr LPARAM kRepeated = LPARAM(1) << 30;

bool focusIsA(const wchar_t* className) {
    wchar_t name[kClassNameCapacity] = {};
    HWND focus = GetFocus();
    if (focus) GetClassNameW(focus, name, kClassNameCapacity);
    return lstrcmpW(name, className) == 0;
}

// F5 and Space play what is on the screen: a number still in Start or End,
// a marker still moving by key, or a value typed into a knob counts first.
static void playFromKeyboard() {
    HWND focus = GetFocus();
    wchar_t owner[kClassNameCapacity] = {};
    if (focus && focusIsA(L"Edit") && GetClassNameW(GetParent(focus), owner, kClassNameCapacity) &&
        lstrcmpW(owner, kRotaryKnobClass) == 0)
        SetFocus(GetParent(focus));  // the knob's entry applies its value as it loses the focus
    commitTypedPositions();
    recordTypedName();
    togglePreviewOfSelection();
}

// The list's keys, not in the middle of a drag (of the list, a marker or a
// knob): the drag works on the card as it was when it began.
static void onListKey(const MSG& message) {
    if (GetCapture() || mainWindow.dragFrom >= 0) return;
    if (message.message == WM_SYSKEYDOWN && (message.lParam & kAltHeld) &&
        (message.wParam == VK_UP || message.wParam == VK_DOWN)) {
        int32_t from = listSelection();
        if (from >= 0) moveListedInstrument(from, message.wParam == VK_UP ? from - 1 : from + 1);
    } else if (message.message == WM_KEYDOWN && message.wParam == VK_DELETE) {
        HWND remove = controlWindow(Control::RemoveButton);
        if (IsWindowEnabled(remove))
            onCommand(mainWindow.window, 0, remove, BN_CLICKED);
    }
}

bool handleWindowKey(const MSG& message) {
    HWND window = mainWindow.window;
    if (message.message != WM_KEYDOWN && message.message != WM_SYSKEYDOWN) return false;
    if (!window || (message.hwnd != window && !IsChild(window, message.hwnd))) return false;
    bool repeated = (message.lParam & kRepeated) != 0;
    if (message.message == WM_KEYDOWN && message.wParam == VK_F5) {
        if (!repeated) playFromKeyboard();
        return true;
    }
    // Space plays except where it presses a button or types; the key goes on
    // all the same (a list box, say, may look for an entry by it).
    if (message.message == WM_KEYDOWN && message.wParam == VK_SPACE) {
        if (!repeated && !focusIsA(L"Button") && !focusIsA(L"Edit")) playFromKeyboard();
        return false;
    }
    // The key goes on to the list too: its Alt+key must reach the default
    // handling, or releasing Alt afterwards would open the menu.
    if (GetFocus() == controlWindow(Control::InstrumentList)) onListKey(message);
    return false;
}
