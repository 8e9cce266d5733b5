#pragma once
#include <windows.h>

#include <commctrl.h>

// Reordering instruments by dragging entries of the instrument list.

// The registered drag-list message; returns the notification's result.
LRESULT onDragList(HWND window, const DRAGLISTINFO& drag);
// Ends a drag: the placeholder entry and the insert mark go.
void endListDrag();
