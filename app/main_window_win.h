#pragma once
#include <windows.h>

#include <cstdint>

#include "app/card_file_commands.h"
#include "app/control_table.h"
#include "app/user_dialogs.h"
#include "app/window_title.h"
#include "controls/window_dpi_win.h"
#include "transfer/transfer_controls_win.h"
#include "transfer/usb_transport.h"

// The main window: the controls of the control table, their layout at the
// window's DPI, and the state its handlers share.

constexpr wchar_t kMainWindowClass[] = L"CorvaneMain";

// What the creator hands the window: the way to the card writers (WinUSB for
// the program, a simulated writer for the tests) and the modal dialogs.
struct MainWindowSetup {
    const UsbTransport* usb;
    const UserDialogs* dialogs;
};

// One created row of the control table.
struct CreatedControl {
    HWND window;  // null when it could not be created
    HFONT font;   // the row's own font; null when it uses the base font
    COLORREF textColour;
    bool customTextColour;  // draw the text in textColour
};

struct MainWindow {
    HWND window;
    CreatedControl controls[kControlCount];
    WindowDpi dpi;
    SIZE frame;      // around the client area, as last sized (menu bar included)
    bool sizeOnRestore;  // the DPI changed while minimized: sized when restored
    RECT hoverRect;  // the Decay knob in client coordinates: resting there shows the fade
    HFONT baseFont;
    UINT dragListMessage;
    bool updatingControls;  // the refresh writes into the controls: their notifications are no edits
    int32_t shownInstrument;  // the instrument the editing controls show, -1 for none
    int32_t dragFrom;       // the list entry being dragged, -1 outside a drag
    bool dragPlaceholder;   // an empty entry is appended behind the last during the drag
    // While a marker is dragged the status line shows its position; what it
    // said before comes back at the release.
    bool markerPositionShown;
    wchar_t statusBeforeMarker[128];
    wchar_t markerPositionText[64];  // the last position shown
    wchar_t editingStatus[64];       // the last text the editing put in the status line
    const UsbTransport* usb;
    UserDialogs dialogs;
    CardFileWindow cardFileWindow;
    // The transfer reaches the controls through these; they live as long as
    // the program, so that a worker still running at exit finds them.
    TransferWindows transferWindows;
    TransferControls transferControls;
};

extern ApplicationTitle applicationTitle;
extern MainWindow mainWindow;

inline HWND controlWindow(Control control) { return mainWindow.controls[uint32_t(control)].window; }
// The row of a control's window, or -1.
int32_t controlOf(HWND window);

bool registerMainWindowClass(HINSTANCE instance);
// The setup is copied; the transport and the dialogs' context must outlive the window.
HWND createMainWindow(HINSTANCE instance, const MainWindowSetup& setup);

// A private message: the preview started or stopped on another thread.
constexpr UINT kPreviewStateMessage = WM_APP + 2;
// The selected instrument's preview could not be rebuilt yet: try again.
constexpr UINT kPreviewRebuildMessage = WM_APP + 3;
// The timer that moves the playhead while a preview plays.
constexpr UINT_PTR kPlayheadTimer = 1;
constexpr UINT kPlayheadIntervalMs = 40;
