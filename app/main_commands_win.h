#pragma once
#include <windows.h>

#include <cstdint>

#include "controls/rotary_knob_win.h"
#include "controls/waveform_view_win.h"

// What the main window does with the user's commands: the menu, the
// buttons, the list's selection, the edit fields, the check box, the knobs
// and the markers.

// `control` is null for the menu and the accelerators.
void onCommand(HWND window, uint16_t identifier, HWND control, uint16_t notification);
// The knobs' KN_VALUECHANGED and the view's marker notification: wParam points
// to the record when the sender is one of them.
void onKnobChanged(WPARAM record, HWND sender);
void onMarkerMoved(WPARAM record, HWND sender);

// A number typed into Start or End and not yet committed, or a run of marker
// moves by key not yet let go, counts now: before a command or the close
// reads the card.
void commitTypedPositions();
// WM_NOTIFY: a step of the Start or End spin starts from the typed number.
LRESULT onNotify(NMHDR* header);
// WM_VSCROLL from a spin: a step of Start or End commits the new number.
void onSpinScroll(HWND spin, uint16_t request);

// A card-file named as the first argument of the command line is opened as
// Open would; one that cannot be read is reported and the card stays empty.
void openCommandLineCard(const wchar_t* commandLine);
