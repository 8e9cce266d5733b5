#pragma once
#include <windows.h>

#include <functional>
#include <string>

// Plays the user in a modal dialog that this thread is about to show: a
// timer, dispatched by the dialog's own message loop, finds the dialog box
// (class "#32770") and hands it to `act`, which answers it.
class DialogRobot {
public:
    explicit DialogRobot(std::function<void(HWND)> act);
    ~DialogRobot();
    bool acted() const { return acted_; }

private:
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD);
    std::function<void(HWND)> act_;
    UINT_PTR timer_ = 0;
    bool acted_ = false;
};

std::u16string windowText(HWND window);
// The text of the dialog's control `id`.
std::u16string controlText(HWND dialog, int id);
// Presses the dialog's button `id` as a click would.
void pressButton(HWND dialog, int id);

// A hidden top-level window to own the dialogs, one for the test program.
HWND dialogOwnerWindow();
