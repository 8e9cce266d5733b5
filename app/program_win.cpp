// The process entry: start-up, the message loop and the teardown.
#include <windows.h>

#include <commctrl.h>
#include <gdiplus.h>

#include "app/main_window_win.h"
#include "app/program_state.h"
#include "app/resource_ids.h"
#include "app/version_resource_win.h"
#include "controls/rotary_knob_win.h"
#include "controls/waveform_view_win.h"
#include "core/text_win.h"

static HACCEL acceleratorTable = nullptr;

static uint32_t showStartupFailure(const char16_t* what) {
    WideBuffer<256> text = {};
    appendText(text, viewOf(u"Can't Initialize '"));
    appendText(text, viewOf(what));
    appendText(text, viewOf(u"'!\n\nApplication will Exit"));
    terminateText(text);
    MessageBoxW(nullptr, wideChars(text), wideChars(applicationTitle), MB_ICONERROR | MB_OK);
    return 1;
}

static uint32_t runMessageLoop() {
    MSG message = {};
    for (;;) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        if (TranslateAcceleratorW(mainWindow, acceleratorTable, &message)) continue;
        if (!IsDialogMessageW(mainWindow, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<uint32_t>(message.wParam);
}

static uint32_t runProgram(HINSTANCE instance, int showCommand) {
    buildApplicationTitle(applicationTitle, instance);
    terminateTextCutting(applicationTitle);

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    if (!InitCommonControlsEx(&controls)) return showStartupFailure(u"Common Controls");

    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartupInput gdiplusInput;
    if (Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr) != Gdiplus::Ok)
        return showStartupFailure(u"GDI+");

    if (!registerMainWindowClass(instance)) return showStartupFailure(u"Main Window Class");
    if (!registerRotaryKnobClass(instance)) return showStartupFailure(u"Rotary Knob Class");
    if (!registerWaveformViewClass(instance)) return showStartupFailure(u"Waveform View Class");

    acceleratorTable = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(kAcceleratorTableId));

    HWND window = createMainWindow(instance);
    if (!window) return showStartupFailure(u"Main Window");
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return runMessageLoop();
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    resetDocument(cardDocument);
    uint32_t exitCode = runProgram(GetModuleHandleW(nullptr), SW_SHOWDEFAULT);
    releaseDocument(cardDocument);
    ExitProcess(exitCode);
}
