#pragma once
#include <windows.h>

#include <cstdint>

// One message of the program's loop: the accelerators, the hover signal for
// the decay envelope, the window's own keys (Space and F5 as Play / Stop, the
// instrument list's), the dialog-style keyboard navigation (Tab), then the
// window procedures.
void handleLoopMessage(MSG& message, HACCEL accelerators);

// Runs until WM_QUIT; returns its code.
uint32_t runMessageLoop(HACCEL accelerators);
