#pragma once
#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "app/control_table.h"
#include "app/user_dialogs.h"
#include "simulated_card_writer.h"

// The real main window under test: created once for the whole test program
// (a top-level window takes seconds to go under Wine), with the simulated
// card writer and dialogs that answer from a script.

// What the dialogs answer and what they were asked.
struct ScriptedDialogs {
    std::deque<SaveAnswer> saveAnswers;
    std::deque<std::string> filesToOpen;  // UTF-8 paths; "" cancels
    std::deque<std::string> filesToSave;
    int openDialogs = 0;
    std::vector<std::u16string> errors;
    void clear() { *this = ScriptedDialogs(); }
};

extern ScriptedDialogs scriptedDialogs;
extern SimulatedUsb simulatedUsb;

// Creates the main window and shows it.
HWND openMainWindow();
// Runs the queued messages through the program's own loop step.
void pumpMessages();
// Pumps until the condition holds or about ten seconds pass.
template <typename Condition>
bool pumpUntil(Condition condition) {
    for (ULONGLONG end = GetTickCount64() + 10000; GetTickCount64() < end;) {
        pumpMessages();
        if (condition()) return true;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return false;
}

HWND control(Control which);
std::u16string textOf(HWND window);
std::u16string caption();
std::vector<std::u16string> listEntries();
int32_t selectedEntry();
void click(Control button);
void menuCommand(WORD command);
// Types the text into the field: the control itself tells the window.
void typeInto(Control field, const wchar_t* text);

// A control's rectangle, and its middle, in the main window's client coordinates.
RECT placeOf(Control which);
POINT middleOf(Control which);

// Drops the files on the main window at a client point, as the shell does:
// a DROPFILES block in global memory sent with WM_DROPFILES.
void dropFiles(POINT clientPoint, const std::vector<std::string>& utf8Paths);

// The control's pixels as 0x00RRGGBB, painted now.
std::vector<uint32_t> capturePixels(HWND window, int& width, int& height);

// A fixture sample file, as a Windows path with backslashes as the shell gives it.
std::string fixture(const char* name);
