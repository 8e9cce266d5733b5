#include "dialog_robot_win.h"

#include <gtest/gtest.h>

static DialogRobot* activeRobot = nullptr;

DialogRobot::DialogRobot(std::function<void(HWND)> act) : act_(std::move(act)) {
    activeRobot = this;
    timer_ = SetTimer(nullptr, 0, 50, onTimer);
}

DialogRobot::~DialogRobot() {
    if (timer_) KillTimer(nullptr, timer_);
    activeRobot = nullptr;
}

static BOOL CALLBACK findDialog(HWND window, LPARAM found) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (wcscmp(className, L"#32770") == 0 && IsWindowVisible(window) && IsWindowEnabled(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK DialogRobot::onTimer(HWND, UINT, UINT_PTR, DWORD) {
    DialogRobot* robot = activeRobot;
    if (!robot || robot->acted_) return;
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, robot->timer_);
    robot->timer_ = 0;
    robot->acted_ = true;
    robot->act_(dialog);
}

std::u16string windowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return std::u16string(reinterpret_cast<const char16_t*>(text));
}

std::u16string controlText(HWND dialog, int id) { return windowText(GetDlgItem(dialog, id)); }

void pressButton(HWND dialog, int id) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND dialogOwnerWindow() {
    static HWND owner = nullptr;
    if (!owner) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"CorvaneDialogOwner";
        RegisterClassW(&windowClass);
        owner = CreateWindowExW(0, L"CorvaneDialogOwner", L"Owner", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    return owner;
}
