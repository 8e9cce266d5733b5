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

