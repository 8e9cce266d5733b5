#include "app/main_layout_win.h"

#include <commctrl.h>
#include <dwmapi.h>

#include <initializer_list>

#include "app/control_layout.h"
#include "app/main_window_win.h"
#include "app/resource_ids.h"

constexpr DWORD kDarkModeAttribute = 20;  // DWMWA_USE_IMMERSIVE_DARK_MODE
constexpr WORD kShouldAppsUseDarkModeOrdinal = 132;

void layoutControls() {
    HDWP batch = BeginDeferWindowPos(int(kControlCount));
    for (uint32_t i = 0; i < kControlCount; ++i) {
        HWND control = mainWindow.controls[i].window;
        if (!control) continue;
        ControlRect r = controlRect(kControlTable[i], mainWindow.dpi);
        constexpr UINT kFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW;
        if (batch) batch = DeferWindowPos(batch, control, nullptr, r.x, r.y, r.width, r.height, kFlags);
        // A batch that could not grow is gone: the rest move one by one.
        if (!batch) SetWindowPos(control, nullptr, r.x, r.y, r.width, r.height, kFlags);
    }
    if (batch) EndDeferWindowPos(batch);
    HWND knob = controlWindow(Control::DecayKnob);
    RECT hover = {};
    if (knob && GetClientRect(knob, &hover)) MapWindowPoints(knob, mainWindow.window, reinterpret_cast<POINT*>(&hover), 2);
    mainWindow.hoverRect = hover;
}

// ---- fonts and icons -------------------------------------------------------------

static HFONT createRowFont(HFONT base, const ControlSpec& row) {
    if (row.fontPoints == 0 && !(row.flags & kBoldFont)) return base;
    LOGFONTW description;
    if (!base || GetObjectW(base, sizeof description, &description) != sizeof description) return base;
    if (row.fontPoints != 0) description.lfHeight = fontHeightForPoints(row.fontPoints, mainWindow.dpi.y);
    description.lfWeight = (row.flags & kBoldFont) ? FW_BOLD : FW_NORMAL;
    HFONT font = CreateFontIndirectW(&description);
    return font ? font : base;
}

using LoadIconWithScaleDownFunction = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);

// Missing from MinGW's import library, and from systems before Vista.
static LoadIconWithScaleDownFunction loadIconWithScaleDown() {
    static bool looked = false;
    static LoadIconWithScaleDownFunction function = nullptr;
    if (!looked) {
        looked = true;
        if (HMODULE comctl = GetModuleHandleW(L"comctl32.dll"))
            function = reinterpret_cast<LoadIconWithScaleDownFunction>(
                reinterpret_cast<void*>(GetProcAddress(comctl, "LoadIconWithScaleDown")));
    }
    return function;
}

static void setIcon(WPARAM which, int widthMetric, int heightMetric) {
    LoadIconWithScaleDownFunction load = loadIconWithScaleDown();
    HICON icon = nullptr;
    if (!load || FAILED(load(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kIconId),
                             scaleByDpi(GetSystemMetrics(widthMetric), mainWindow.dpi.x),
                             scaleByDpi(GetSystemMetrics(heightMetric), mainWindow.dpi.y), &icon)) ||
        !icon)
        return;  // the window keeps the icon it has
    HICON previous = reinterpret_cast<HICON>(
        SendMessageW(mainWindow.window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon)));
    if (previous) DestroyIcon(previous);
}

void applyFonts() {
    LOGFONTW description = {};
    description.lfHeight = fontHeightForPoints(kBaseFontPoints, mainWindow.dpi.y);
    lstrcpynW(description.lfFaceName, L"Segoe UI", LF_FACESIZE);
    HFONT base = CreateFontIndirectW(&description);
    for (uint32_t i = 0; i < kControlCount; ++i) {
        CreatedControl& row = mainWindow.controls[i];
        HFONT font = createRowFont(base, kControlTable[i]);
        if (row.window) SendMessageW(row.window, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        if (row.font) DeleteObject(row.font);
        row.font = font != base ? font : nullptr;
    }
    if (mainWindow.baseFont) DeleteObject(mainWindow.baseFont);
    mainWindow.baseFont = base;
    setIcon(ICON_SMALL, SM_CXSMICON, SM_CYSMICON);
    setIcon(ICON_BIG, SM_CXICON, SM_CYICON);
}

void releaseFontsAndIcons() {
    for (CreatedControl& row : mainWindow.controls) {
        if (row.font) DeleteObject(row.font);
        row = {};
    }
    if (mainWindow.baseFont) DeleteObject(mainWindow.baseFont);
    mainWindow.baseFont = nullptr;
    for (WPARAM which : {WPARAM(ICON_SMALL), WPARAM(ICON_BIG)}) {
        HICON icon = reinterpret_cast<HICON>(SendMessageW(mainWindow.window, WM_SETICON, which, 0));
        if (icon) DestroyIcon(icon);
    }
}

// ---- size ------------------------------------------------------------------------------

void sizeToClientArea(HWND window, const POINT* position) {
    // A minimized window has no client area to measure the frame by: it is
    // sized when it is restored.
    if (IsIconic(window)) {
        mainWindow.sizeOnRestore = true;
        return;
    }
    mainWindow.sizeOnRestore = false;
    ClientSize client = mainClientSize(mainWindow.dpi);
    RECT frame = {0, 0, client.width, client.height};
    // A first guess from the system's frame metrics; what the window really draws is measured below.
    AdjustWindowRectEx(&frame, DWORD(GetWindowLongW(window, GWL_STYLE)), GetMenu(window) != nullptr,
                       DWORD(GetWindowLongW(window, GWL_EXSTYLE)));
    mainWindow.frame = {(frame.right - frame.left) - client.width, (frame.bottom - frame.top) - client.height};
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (position ? 0 : SWP_NOMOVE);
    int x = position ? position->x : 0, y = position ? position->y : 0;
    SetWindowPos(window, nullptr, x, y, frame.right - frame.left, frame.bottom - frame.top, flags);
    // The frame the system really draws differs from the guess at another DPI
    // than the system's, or when the menu bar wraps: measured and corrected once.
    RECT outer, now;
    GetWindowRect(window, &outer);
    GetClientRect(window, &now);
    if (now.right != client.width || now.bottom != client.height) {
        mainWindow.frame = {(outer.right - outer.left) - now.right, (outer.bottom - outer.top) - now.bottom};
        SetWindowPos(window, nullptr, 0, 0, client.width + mainWindow.frame.cx, client.height + mainWindow.frame.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    }
}

void onSize(HWND window, WPARAM kind) {
    if (kind != SIZE_MINIMIZED && mainWindow.sizeOnRestore) sizeToClientArea(window, nullptr);
    layoutControls();
}

// The size set last is the smallest: the window cannot be sized anyway, and a
// minimized window's rectangles say nothing about its frame.
void onGetMinMaxInfo(MINMAXINFO& limits) {
    ClientSize client = mainClientSize(mainWindow.dpi);
    limits.ptMinTrackSize = {client.width + mainWindow.frame.cx, client.height + mainWindow.frame.cy};
}

// ---- title bar and DPI ------------------------------------------------------------------

using ShouldAppsUseDarkModeFunction = BYTE(WINAPI*)();

void updateTitleBarTheme(HWND window) {
    static bool looked = false;
    static ShouldAppsUseDarkModeFunction shouldUseDark = nullptr;
    if (!looked) {
        looked = true;
        if (HMODULE uxtheme = LoadLibraryW(L"uxtheme.dll"))
            shouldUseDark = reinterpret_cast<ShouldAppsUseDarkModeFunction>(reinterpret_cast<void*>(
                GetProcAddress(uxtheme, MAKEINTRESOURCEA(kShouldAppsUseDarkModeOrdinal))));
    }
    BOOL dark = shouldUseDark ? BOOL(shouldUseDark()) : FALSE;
    DwmSetWindowAttribute(window, kDarkModeAttribute, &dark, sizeof dark);
}

void onDpiChanged(HWND window, WPARAM wParam, const RECT& suggested) {
    mainWindow.dpi = {int32_t(LOWORD(wParam)), int32_t(HIWORD(wParam))};
    // The suggested place, at the size the new DPI gives the client area.
    POINT position = {suggested.left, suggested.top};
    sizeToClientArea(window, &position);
    layoutControls();
    applyFonts();
    for (HWND child = GetTopWindow(window); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, WM_DPICHANGED, wParam, reinterpret_cast<LPARAM>(&suggested));
}
