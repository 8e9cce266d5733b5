#include "app/main_window_win.h"

#include "app/program_state.h"
#include "controls/window_dpi_win.h"
#include "core/text_win.h"

ApplicationTitle applicationTitle = {};
HWND mainWindow = nullptr;

// The client area at 96 DPI; the window is not resizable.
constexpr int kClientWidth = 770;
constexpr int kClientHeight = 355;
constexpr DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;


void updateWindowTitle() {
    WindowTitle title;
    buildWindowTitle(title, viewOf(applicationTitle), viewOf(cardFilePath), cardDocument.modified);
    terminateTextCutting(title);
    SetWindowTextW(mainWindow, wideChars(title));
}

static void sizeToClientArea(HWND window) {
    WindowDpi dpi = queryWindowDpi(window);
    RECT frame = {0, 0, scaleByDpi(kClientWidth, dpi.x), scaleByDpi(kClientHeight, dpi.y)};
    AdjustWindowRectExForDpi(&frame, kMainWindowStyle, GetMenu(window) != nullptr, 0, UINT(dpi.y));
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

static LRESULT onCreate(HWND window) {
    mainWindow = window;
    sizeToClientArea(window);
    updateWindowTitle();
    return 0;
}

static LRESULT CALLBACK mainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: return onCreate(window);
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
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
    windowClass.lpszClassName = kMainWindowClass;
    return RegisterClassExW(&windowClass) != 0;
}

HWND createMainWindow(HINSTANCE instance) {
    return CreateWindowExW(0, kMainWindowClass, wideChars(applicationTitle), kMainWindowStyle, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
}
