#pragma once
#include <windows.h>

#include "controls/window_dpi.h"

// The DPI of the monitor that the window is on.
WindowDpi queryWindowDpi(HWND window);
