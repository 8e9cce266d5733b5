#pragma once
#include <windows.h>

#include <cstdint>

// VXRotaryKnob: a value shown as a dial with a pointer, the value text and a
// label, changed by dragging, the wheel, the arrow keys or typing.

constexpr wchar_t kRotaryKnobClass[] = L"VXRotaryKnob";

// Messages to the knob; a double travels as a pointer to it in wParam.
constexpr UINT KM_GETVALUE = WM_USER + 1;
constexpr UINT KM_SETVALUE = WM_USER + 2;
constexpr UINT KM_SETUNIT = WM_USER + 3;      // wParam: pointer to a UTF-16 TextView
constexpr UINT KM_SETMIN = WM_USER + 4;
constexpr UINT KM_SETMAX = WM_USER + 5;
constexpr UINT KM_SETRING = WM_USER + 6;      // wParam: 0 or not
constexpr UINT KM_SETDECIMALS = WM_USER + 7;  // wParam: 0 or not
constexpr UINT KM_SETTIP = WM_USER + 8;       // wParam: pointer to a UTF-16 TextView

// Sent to the parent when the user changes the value, and at the end of every drag.
constexpr UINT KN_VALUECHANGED = WM_USER + 1;
struct KnobNotification {
    double value;
    uint8_t dragging;
};

bool registerRotaryKnobClass(HINSTANCE instance);
