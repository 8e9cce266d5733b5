#include "main_window_driver_win.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <gdiplus.h>
#include <shlobj.h>

#include <cstring>

#include "app/main_window_win.h"
#include "app/message_loop_win.h"
#include "app/version_resource_win.h"
#include "controls/rotary_knob_win.h"
#include "controls/waveform_view_win.h"
#include "core/text_win.h"

ScriptedDialogs scriptedDialogs;
SimulatedUsb simulatedUsb;

namespace {

SaveAnswer askToSave(void*) {
    if (scriptedDialogs.saveAnswers.empty()) {
        ADD_FAILURE() << "the save question came unexpectedly";
        return SaveAnswer::Cancel;
    }
    SaveAnswer answer = scriptedDialogs.saveAnswers.front();
    scriptedDialogs.saveAnswers.pop_front();
    return answer;
}

void showError(void*, Utf16View text) { scriptedDialogs.errors.emplace_back(text.units, text.length); }

bool answerWithFile(std::deque<std::string>& files, PathBuffer& path) {
    if (files.empty()) {
        ADD_FAILURE() << "a file dialog came unexpectedly";
        return false;
    }
    std::string file = files.front();
    files.pop_front();
    if (file.empty()) return false;
    assignText(path, Utf8View{file.data(), uint32_t(file.size())});
    return true;
}

bool chooseFileToOpen(void*, FileKind, PathBuffer& path) {
    ++scriptedDialogs.openDialogs;
    return answerWithFile(scriptedDialogs.filesToOpen, path);
}

bool chooseCardFileToSave(void*, PathBuffer& path) { return answerWithFile(scriptedDialogs.filesToSave, path); }

const UserDialogs kScriptedDialogs = {nullptr, askToSave, showError, chooseFileToOpen, chooseCardFileToSave};

void startOnce() {
    static bool started = false;
    if (started) return;
    started = true;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    buildApplicationTitle(applicationTitle, instance);
    terminateTextCutting(applicationTitle);
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&init);
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    registerMainWindowClass(instance);
    registerRotaryKnobClass(instance);
    registerWaveformViewClass(instance);
}

}  // namespace

HWND openMainWindow() {
    startOnce();
    MainWindowSetup setup = {&simulatedUsb.transport(), &kScriptedDialogs};
    HWND window = createMainWindow(GetModuleHandleW(nullptr), setup);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    pumpMessages();
    return window;
}

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        handleLoopMessage(message, nullptr);
    }
}

HWND control(Control which) { return controlWindow(which); }

std::u16string textOf(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return std::u16string(reinterpret_cast<const char16_t*>(text));
}

std::u16string caption() { return textOf(mainWindow.window); }

std::vector<std::u16string> listEntries() {
    HWND list = control(Control::InstrumentList);
    std::vector<std::u16string> entries;
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[64] = {};
        SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
        entries.emplace_back(reinterpret_cast<const char16_t*>(text));
    }
    return entries;
}

int32_t selectedEntry() { return int32_t(SendMessageW(control(Control::InstrumentList), LB_GETCURSEL, 0, 0)); }

void click(Control button) {
    SendMessageW(mainWindow.window, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), reinterpret_cast<LPARAM>(control(button)));
    pumpMessages();
}

void menuCommand(WORD command) {
    SendMessageW(mainWindow.window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    pumpMessages();
}

void typeInto(Control field, const wchar_t* text) {
    SetWindowTextW(control(field), text);
    pumpMessages();
}

RECT placeOf(Control which) {
    RECT r;
    GetWindowRect(control(which), &r);
    MapWindowPoints(nullptr, mainWindow.window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

POINT middleOf(Control which) {
    RECT r = placeOf(which);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void dropFiles(POINT clientPoint, const std::vector<std::string>& utf8Paths) {
    std::wstring names;
    for (const std::string& path : utf8Paths) {
        wchar_t wide[1024] = {};
        MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide, 1024);
        names += wide;
        names += L'\0';
    }
    names += L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->pt = clientPoint;
    files->fNC = FALSE;
    files->fWide = TRUE;
    memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    SendMessageW(mainWindow.window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);  // the window frees it
    pumpMessages();
}

std::vector<uint32_t> capturePixels(HWND window, int& width, int& height) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pumpMessages();
    RECT client;
    GetClientRect(window, &client);
    width = client.right;
    height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(window);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + size_t(width) * size_t(height));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

std::string fixture(const char* name) {
    std::string path = std::string(CORVANE_FIXTURES_DIR) + "/" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}
