#pragma once
// The accessible object (MSAA IAccessible) a custom control hands to screen
// readers in WM_GETOBJECT. The control describes itself and its simple
// children (numbered from 1; 0 is the control) through a table of functions;
// the object only translates. It lives as long as its readers hold it, which
// may be longer than the control: once the control is gone it answers
// nothing but "disconnected".
#include <windows.h>

#include <oleacc.h>

#include "core/text.h"

// {618736E0-3C3D-11CF-810C-00AA00389B71}: MinGW's import library gives the
// symbol IID_IAccessible as an import thunk, not as the GUID.
constexpr GUID kAccessibleInterfaceId = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

struct AccessibleDescription {
    WideBuffer<64> name;
    WideBuffer<64> value;
    WideBuffer<32> defaultAction;
    LONG role;   // ROLE_SYSTEM_*
    LONG state;  // STATE_SYSTEM_*; focusable and focused are added for the control
    RECT bounds; // in screen coordinates
};

struct AccessibleSource {
    LONG (*childCount)(HWND control);
    // False for a child that does not exist.
    bool (*describe)(HWND control, LONG child, AccessibleDescription& description);
    // The child under a point of the control's client area: 0 for the control itself.
    LONG (*childAt)(HWND control, POINT client);
    // The child that has the keyboard's attention while the control has the focus (0: the control).
    LONG (*focusedChild)(HWND control);
    // Optional (null: not supported): the value typed by a reader, the default
    // action, and a child chosen as the one with the keyboard's attention.
    HRESULT (*setValue)(HWND control, LONG child, Utf16View text);
    HRESULT (*doDefaultAction)(HWND control, LONG child);
    HRESULT (*selectChild)(HWND control, LONG child);
};

struct AccessibleObject;

// Null when there is no memory; the control keeps its reference until it is destroyed.
AccessibleObject* createAccessibleObject(HWND control, const AccessibleSource& source);
// For WM_GETOBJECT: the object for OBJID_CLIENT, else the default handling.
LRESULT answerGetObject(AccessibleObject* object, HWND control, WPARAM wParam, LPARAM lParam);
// At WM_DESTROY: cuts the object off the control and drops the control's reference.
void releaseAccessibleObject(AccessibleObject*& object);
