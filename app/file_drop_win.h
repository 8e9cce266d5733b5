#pragma once
#include <windows.h>

// Files dropped on the main window: sample files on the instrument list
// become instruments; a card-file anywhere else is opened.
void onDropFiles(HWND window, HDROP drop);
