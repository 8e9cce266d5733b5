#pragma once
// What the custom controls share as windows: their class and their handling
// of messages before they have a state.
#include <windows.h>

// The custom controls' window classes: redrawn on resizing, usable by any
// module, a pointer to the control's state in the extra bytes, no cursor (the
// controls set theirs in WM_SETCURSOR) and no background (they paint every pixel).
// Double-clicks only where asked: they take the place of a second press.
inline bool registerControlClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, UINT extraStyle = 0) {
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_GLOBALCLASS | extraStyle;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.cbWndExtra = sizeof(void*);
    windowClass.lpszClassName = name;
    return RegisterClassW(&windowClass) != 0;
}

// A control without its state (before WM_CREATE, after a failed creation or
// after WM_DESTROY) does nothing; only the messages that build the window
// (its text, its client area) still get the default handling.
inline LRESULT controlWithoutState(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE || message == WM_NCCALCSIZE || message == WM_GETMINMAXINFO)
        return DefWindowProcW(window, message, wParam, lParam);
    return 0;
}
