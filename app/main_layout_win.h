#pragma once
#include <windows.h>

// The main window at its DPI: control positions, fonts, icons, its size and
// the title bar's theme.

// Every control to its place in one deferred batch; the hover rectangle follows the Decay knob.
void layoutControls();
// The base font and the rows' own fonts at the DPI, set on the controls, and the icons.
void applyFonts();
// Fonts and icons go with the window.
void releaseFontsAndIcons();
// Sizes the window so that its client area is 770 x 355 at its DPI; with
// `position`, moves it there too. A minimized window is sized when restored.
void sizeToClientArea(HWND window, const POINT* position);
void onSize(HWND window, WPARAM kind);
void onGetMinMaxInfo(MINMAXINFO& limits);
// The title bar follows the system's dark or light app mode.
void updateTitleBarTheme(HWND window);
void onDpiChanged(HWND window, WPARAM wParam, const RECT& suggested);
