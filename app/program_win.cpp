// The process entry: start-up, the message loop and the teardown.
#include <windows.h>

#include <commctrl.h>
#include <gdiplus.h>

#include "app/main_commands_win.h"
#include "app/main_window_win.h"
#include "app/message_loop_win.h"
#include "app/program_state.h"
#include "app/resource_ids.h"
#include "app/user_dialogs_win.h"
#include "app/version_resource_win.h"
#include "controls/rotary_knob_win.h"
#include "controls/waveform_view_win.h"
#include "core/text_win.h"
#include "transfer/usb_transport_win.h"

static uint32_t showStartupFailure(const char16_t* what) {
    WideBuffer<256> text = {};
    appendText(text, viewOf(u"Can't Initialize '"));
    appendText(text, viewOf(what));
    appendText(text, viewOf(u"'!\n\nApplication will Exit"));
    terminateTextCutting(text);
    MessageBoxW(nullptr, wideChars(text), wideChars(applicationTitle), MB_ICONERROR | MB_OK);
    return 1;
}

static uint32_t runProgram(HINSTANCE instance, int showCommand) {
    buildApplicationTitle(applicationTitle, instance);
    terminateTextCutting(applicationTitle);

    // A single-threaded apartment: the file dialogs want one, and the custom
    // controls' accessible objects are marshalled from it to screen readers.
    // Without it the program still works, unread.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    if (!InitCommonControlsEx(&controls)) return showStartupFailure(u"Common Controls");

    // GDI+ stays up until the process ends.
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartupInput gdiplusInput;
    if (Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr) != Gdiplus::Ok)
        return showStartupFailure(u"GDI+");

    if (!registerMainWindowClass(instance)) return showStartupFailure(u"Main Window Class");
    if (!registerRotaryKnobClass(instance)) return showStartupFailure(u"Rotary Knob Class");
    if (!registerWaveformViewClass(instance)) return showStartupFailure(u"Waveform View Class");

    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(kAcceleratorTableId));

    // The boxes and dialogs belong to the main window once it exists.
    static DialogOwner dialogOwner = {nullptr, &applicationTitle};
    UserDialogs dialogs = makeUserDialogs(dialogOwner);
    MainWindowSetup setup = {&winUsbTransport(), &dialogs};
    HWND window = createMainWindow(instance, setup);
    if (!window) return showStartupFailure(u"Main Window");
    dialogOwner.window = window;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    // After showing, so that a load failure has its window behind it.
    openCommandLineCard(GetCommandLineW());
    return runMessageLoop(accelerators);
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    resetDocument(cardDocument);
    uint32_t exitCode = runProgram(GetModuleHandleW(nullptr), SW_SHOWDEFAULT);
    releaseProgramState();
    ExitProcess(exitCode);
}
