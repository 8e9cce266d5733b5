#pragma once
#include <windows.h>

#include <cstdint>

// One message of the program's loop: the accelerators, the hover signal for
// the decay envelope, Space as Play / Stop, the dialog-style keyboard
// navigation, then the window procedures.
void handleLoopMessage(MSG& message, HACCEL accelerators);

// Runs until WM_QUIT; returns its code.
uint32_t runMessageLoop(HACCEL accelerators);
