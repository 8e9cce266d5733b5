#pragma once
#include <windows.h>

#include <commctrl.h>

#include <cstdint>

// Reordering instruments by dragging entries of the instrument list (or by
// Alt+Up and Alt+Down in it).

// The registered drag-list message; returns the notification's result.
LRESULT onDragList(HWND window, const DRAGLISTINFO& drag);
// Ends a drag: the placeholder entry and the insert mark go.
void endListDrag();
// The instrument at `from` goes to `target`, both indices of the list as it
// is: one step of the history, the moved instrument selected and shown.
void moveListedInstrument(int32_t from, int32_t target);
