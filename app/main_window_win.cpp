#include "app/main_window_win.h"

#include <commctrl.h>
#include <dbt.h>
#include <shellapi.h>

#include "app/edit_history_win.h"
#include "app/edit_options_win.h"
#include "app/file_drop_win.h"
#include "app/instrument_drag_win.h"
#include "app/main_commands_win.h"
#include "app/main_layout_win.h"
#include "app/main_refresh_win.h"
#include "app/preview_controls_win.h"
#include "app/remembered_options_win.h"
#include "app/program_state.h"
#include "app/resource_ids.h"
#include "controls/high_contrast_win.h"
#include "core/text_win.h"

ApplicationTitle applicationTitle = {};
MainWindow mainWindow = {};

constexpr DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// Room for a card name and an instrument name: eight characters each.
constexpr WPARAM kNameLimit = 8;
constexpr WPARAM kBankLimit = 2;
constexpr int32_t kFirstBank = 1;
constexpr int32_t kLastBank = 99;

int32_t controlOf(HWND window) {
    if (!window) return -1;
    for (uint32_t i = 0; i < kControlCount; ++i)
        if (mainWindow.controls[i].window == window) return int32_t(i);
    return -1;
}

// ---- what the card-file commands and discovery need of the window -----------

static void showWholeCard(void*) { refreshAndSelect(0); }
static void refreshList(void*) { refreshInstrumentList(); }
static void cardReplaced(void*) { restartCardHistory(); }
static void cardSaved(void*) { cardSavedInHistory(); }
static void closeMainWindow(void*) { DestroyWindow(mainWindow.window); }

static void refreshWriterList() {
    WriterListView view = writerListViewFor(mainWindow.transferWindows);
    refreshCardWriterList(*mainWindow.usb, cardWriterList, view, transferJob.busy != 0);
}

// ---- creation ------------------------------------------------------------------

static void createControls(HWND window) {
    for (uint32_t i = 0; i < kControlCount; ++i) {
        const ControlSpec& row = kControlTable[i];
        CreatedControl& created = mainWindow.controls[i];
        created = {};
        created.window = CreateWindowExW(row.exStyle, reinterpret_cast<const wchar_t*>(row.className),
                                         reinterpret_cast<const wchar_t*>(row.text), row.style | WS_CHILD, 0, 0, 0,
                                         0, window, nullptr, nullptr, nullptr);
    }
}

static void setKnobRange(HWND knob, double minimum, double maximum) {
    SendMessageW(knob, KM_SETMIN, reinterpret_cast<WPARAM>(&minimum), 0);
    SendMessageW(knob, KM_SETMAX, reinterpret_cast<WPARAM>(&maximum), 0);
    SendMessageW(knob, KM_SETDECIMALS, 0, 0);
}

static void setUpControls() {
    MakeDragList(controlWindow(Control::InstrumentList));
    mainWindow.dragListMessage = RegisterWindowMessageW(DRAGLISTMSGSTRING);
    mainWindow.dragFrom = -1;
    mainWindow.shownInstrument = -1;

    SendMessageW(controlWindow(Control::BankEdit), EM_LIMITTEXT, kBankLimit, 0);
    SendMessageW(controlWindow(Control::BankSpin), UDM_SETRANGE32, kFirstBank, kLastBank);
    SendMessageW(controlWindow(Control::BankSpin), UDM_SETPOS32, 0, kFirstBank);
    // No writer is known yet: discovery enables the rest.
    EnableWindow(controlWindow(Control::WriterCombo), TRUE);
    EnableWindow(controlWindow(Control::SendButton), FALSE);
    SendMessageW(controlWindow(Control::BankEdit), EM_SETREADONLY, TRUE, 0);
    EnableWindow(controlWindow(Control::BankSpin), FALSE);

    SendMessageW(controlWindow(Control::CardNameEdit), EM_LIMITTEXT, kNameLimit, 0);
    SendMessageW(controlWindow(Control::WaveformView), WV_ADDMARKER, 'S', 0);
    SendMessageW(controlWindow(Control::WaveformView), WV_ADDMARKER, 'E', 0);
    SendMessageW(controlWindow(Control::InstNameEdit), EM_LIMITTEXT, kNameLimit, 0);

    setKnobRange(controlWindow(Control::DecayKnob), kMinDecay, kMaxDecay);
    Utf16View decibels = viewOf(u"dB");
    SendMessageW(controlWindow(Control::BoostKnob), KM_SETUNIT, reinterpret_cast<WPARAM>(&decibels), 0);
    setKnobRange(controlWindow(Control::BoostKnob), 0, kMaxBoost);
}

static void setUpTransfer(HWND window) {
    TransferWindows& windows = mainWindow.transferWindows;
    windows.owner = window;
    windows.caption = wideChars(applicationTitle);
    windows.writerCombo = controlWindow(Control::WriterCombo);
    windows.sendButton = controlWindow(Control::SendButton);
    windows.progress = controlWindow(Control::TransferProgress);
    windows.bankEdit = controlWindow(Control::BankEdit);
    windows.bankSpin = controlWindow(Control::BankSpin);
    windows.statusText = controlWindow(Control::StatusText);
    mainWindow.transferControls = transferControlsFor(windows);
    initTransferJob(transferJob, *mainWindow.usb, mainWindow.transferControls);
}

static LRESULT onCreate(HWND window, const CREATESTRUCTW& creation) {
    const MainWindowSetup& setup = *static_cast<const MainWindowSetup*>(creation.lpCreateParams);
    mainWindow.window = window;
    mainWindow.usb = setup.usb;
    mainWindow.dialogs = *setup.dialogs;
    mainWindow.dpi = queryWindowDpi(window);
    updateTitleBarTheme(window);

    createControls(window);
    setUpControls();
    setUpTransfer(window);
    mainWindow.cardFileWindow = {nullptr, showWholeCard, refreshList, closeMainWindow, cardReplaced, cardSaved};
    initCardFileCommands(cardFileCommands, cardDocument, mainWindow.dialogs, mainWindow.cardFileWindow);

    previewPlayer.owner = window;
    previewPlayer.onStarted = onPreviewStarted;
    previewPlayer.onStopped = onPreviewStopped;
    // Without an output the preview stays silent, and Play says so.
    initAudioOutput(previewPlayer, kWorkingSampleRate, 1, kPreviewPeriods, kPreviewFramesPerPeriod);
    hearAsOnCard = readOption(kHearAsOnCardValue);
    showHearAsOnCard();
    loadEditOptions();

    refreshInstrumentList();
    updateControlStates();
    showInstrument(-1);
    restartCardHistory();

    sizeToClientArea(window, nullptr);
    layoutControls();
    applyFonts();

    releaseWriterList(cardWriterList);
    SendMessageW(controlWindow(Control::WriterCombo), CB_RESETCONTENT, 0, 0);
    mainWindow.transferWindows.noWriterShown = false;
    refreshWriterList();
    DragAcceptFiles(window, TRUE);
    return 0;
}

// ---- the other messages ----------------------------------------------------------

static void onClose(HWND window) {
    // A modal dialog owned by the window is open (the main window is
    // disabled meanwhile): the command that opened it is still running.
    if (!IsWindowEnabled(window)) return;
    commitTypedPositions();  // the save question knows of a number still in its field
    recordTypedName();
    closeRequested(cardFileCommands);
}

// Windows is ending the session: unsaved changes get the save question
// first. A save or No closes the window; Cancel, or a dialog already open,
// keeps the session from ending.
static LRESULT onQueryEndSession(HWND window) {
    if (IsWindowEnabled(window)) commitTypedPositions();
    if (!cardDocument.modified) return TRUE;
    if (!IsWindowEnabled(window) || cardFileCommands.dialogOpen) return FALSE;
    closeRequested(cardFileCommands);
    return mainWindow.window ? FALSE : TRUE;
}

static void onDestroy() {
    endListDrag();
    // The player's notifications would reach a window that is going; the
    // output (and COM on this thread) goes with the window that opened it.
    shutdownAudioOutput(previewPlayer);
    previewPlayer.onStarted = nullptr;
    previewPlayer.onStopped = nullptr;
    KillTimer(mainWindow.window, kPlayheadTimer);
    PostQuitMessage(0);
}

// A control in its own colour (the free memory, red when the card is
// overfull). A high-contrast theme chose colours that must stay readable on
// each other: such a control stands out in the theme's highlight pair instead.
static LRESULT onControlColour(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    int32_t row = controlOf(reinterpret_cast<HWND>(lParam));
    if (row < 0 || !mainWindow.controls[row].customTextColour)
        return DefWindowProcW(window, message, wParam, lParam);
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetBkMode(dc, TRANSPARENT);
    if (highContrastOn()) {
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    SetTextColor(dc, mainWindow.controls[row].textColour);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

// The system's colours or a high-contrast theme changed: the children hear of
// it (only top-level windows are told, and the common controls keep brushes of
// their own), and everything drawn here is drawn again in the new colours.
static void onColoursChanged(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    for (HWND child = GetTopWindow(window); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, message, wParam, lParam);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

static void onSettingChange(HWND window, WPARAM wParam, LPARAM lParam) {
    const wchar_t* area = reinterpret_cast<const wchar_t*>(lParam);
    if (wParam == 0 && area && lstrcmpW(area, L"ImmersiveColorSet") == 0) updateTitleBarTheme(window);
    onColoursChanged(window, WM_SETTINGCHANGE, wParam, lParam);
}

static LRESULT CALLBACK mainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return onCreate(window, *reinterpret_cast<const CREATESTRUCTW*>(lParam));
    case WM_DESTROY: onDestroy(); return 0;
    case WM_NCDESTROY:
        releaseFontsAndIcons();
        mainWindow.window = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_SIZE: onSize(window, wParam); return 0;
    case WM_CLOSE: onClose(window); return 0;
    case WM_QUERYENDSESSION: return onQueryEndSession(window);
    case WM_SETTINGCHANGE: onSettingChange(window, wParam, lParam); return 0;
    case WM_SYSCOLORCHANGE: onColoursChanged(window, message, wParam, lParam); return 0;
    // A menu's loop takes the release of a key held on the waveform: the run ends as the menu opens.
    case WM_ENTERMENULOOP:
        SendMessageW(controlWindow(Control::WaveformView), WV_ENDKEYRUN, 0, 0);
        return 0;
    case WM_GETMINMAXINFO:
        // Also sent before WM_CREATE, when nothing is sized yet.
        if (window != mainWindow.window) return DefWindowProcW(window, message, wParam, lParam);
        onGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_COMMAND:
        onCommand(window, LOWORD(wParam), reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY: return onNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_VSCROLL: onSpinScroll(reinterpret_cast<HWND>(lParam), LOWORD(wParam)); return 0;
    case WM_TIMER:
        if (wParam == kPlayheadTimer) onPlayheadTimer();
        return 0;
    case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN: case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return onControlColour(window, message, wParam, lParam);
    case WM_LBUTTONDOWN: SetFocus(window); return 0;  // the background takes the focus from an edit field
    case WM_DPICHANGED: onDpiChanged(window, wParam, *reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_DEVICECHANGE:
        if (wParam == DBT_DEVNODES_CHANGED) refreshWriterList();
        return TRUE;
    case WM_DROPFILES: onDropFiles(window, reinterpret_cast<HDROP>(wParam)); return 0;
    case KN_VALUECHANGED:
        onKnobChanged(wParam, reinterpret_cast<HWND>(lParam));
        return 0;
    case WN_MARKERMOVED:
        onMarkerMoved(wParam, reinterpret_cast<HWND>(lParam));
        return 0;
    case kTransferReportMessage: onTransferReport(transferJob, wParam, lParam); return 0;
    case kPreviewStateMessage: showPlaybackState(); return 0;
    case kPreviewRebuildMessage:
        if (const Instrument* instrument = shownInstrument()) showPreview(*instrument);
        return 0;
    default:
        if (message == mainWindow.dragListMessage && message != 0)
            return onDragList(window, *reinterpret_cast<const DRAGLISTINFO*>(lParam));
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool registerMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = mainWindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEW(kMenuId);
    windowClass.lpszClassName = kMainWindowClass;
    return RegisterClassExW(&windowClass) != 0;
}

HWND createMainWindow(HINSTANCE instance, const MainWindowSetup& setup) {
    return CreateWindowExW(0, kMainWindowClass, wideChars(applicationTitle), kMainWindowStyle, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                           const_cast<MainWindowSetup*>(&setup));
}
