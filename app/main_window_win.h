#pragma once
#include <windows.h>

#include "app/window_title.h"

constexpr wchar_t kMainWindowClass[] = L"CorvaneMain";

extern ApplicationTitle applicationTitle;
extern HWND mainWindow;

bool registerMainWindowClass(HINSTANCE instance);
HWND createMainWindow(HINSTANCE instance);

// Caption: application title, card-file name or "Unnamed", "*" while modified.
void updateWindowTitle();
