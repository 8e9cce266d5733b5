#pragma once
// Whether a high-contrast theme is on: the custom drawing then takes its
// colours from the system (GetSysColor) instead of its own palette. The
// controls ask at every paint; the top-level window repaints them when the
// setting changes (WM_SETTINGCHANGE, WM_SYSCOLORCHANGE).
#include <windows.h>

bool highContrastOn();

// A theme cannot be switched on under every system (Wine refuses
// SPI_SETHIGHCONTRAST): the tests choose the answer instead.
enum class HighContrastSource { System, ForcedOn, ForcedOff };
void setHighContrastSource(HighContrastSource source);

// A system colour as GDI+ takes it (0xAARRGGBB, opaque).
inline unsigned long systemColorArgb(int index) {
    COLORREF c = GetSysColor(index);
    return 0xFF000000ul | (unsigned long)GetRValue(c) << 16 | (unsigned long)GetGValue(c) << 8 | GetBValue(c);
}
