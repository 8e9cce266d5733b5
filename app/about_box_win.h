#pragma once
#include <windows.h>

// The About box (dialog 104): the icon, the application title and the legal
// notice of the program's version resource. Closed by OK, Esc or the close button.
INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the About box modally over `owner` (Help, About).
void showAboutBox(HWND owner);
