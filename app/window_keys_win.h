#pragma once
#include <windows.h>

// The main window's own keys, seen by the message loop before the dialog
// navigation: Space and F5 play and stop the preview; in the instrument list
// Alt+Up and Alt+Down move the selected instrument and Delete removes it.
// True when the key is used up and goes no further.
bool handleWindowKey(const MSG& message);

// Whether the window with the keyboard focus is of the class (exactly).
bool focusIsA(const wchar_t* className);
