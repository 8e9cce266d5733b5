#include "control_test_window.h"

#include <commctrl.h>
#include <gdiplus.h>

#include <cstring>
#include <malloc.h>

void startControlsForTests() {
    static bool started = false;
    if (started) return;
    started = true;
    INITCOMMONCONTROLSEX init = {sizeof init, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&init);
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    registerRotaryKnobClass(GetModuleHandleW(nullptr));
    registerWaveformViewClass(GetModuleHandleW(nullptr));
    WNDCLASSW parentClass = {};
    parentClass.lpfnWndProc = ControlTestWindow::parentProcedure;
    parentClass.hInstance = GetModuleHandleW(nullptr);
    parentClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    parentClass.lpszClassName = L"CorvaneControlTest";
    RegisterClassW(&parentClass);
}

// One visible parent for every test: without a window manager, Wine waits
// about two seconds whenever a top-level window goes away.
static HWND sharedParent() {
    static HWND parent = CreateWindowExW(0, L"CorvaneControlTest", L"test", WS_POPUP | WS_VISIBLE, 0, 0, 600, 300,
                                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    return parent;
}

ControlTestWindow::ControlTestWindow(const wchar_t* controlClass, const wchar_t* text, int width, int height)
    : width_(width), height_(height) {
    startControlsForTests();
    parent_ = sharedParent();
    SetWindowLongPtrW(parent_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    control_ = CreateWindowExW(0, controlClass, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP, 20, 20, width, height,
                               parent_, nullptr, GetModuleHandleW(nullptr), nullptr);
    pumpMessages();
}

ControlTestWindow::~ControlTestWindow() {
    DestroyWindow(control_);
    SetWindowLongPtrW(parent_, GWLP_USERDATA, 0);
    pumpMessages();
}

LRESULT CALLBACK ControlTestWindow::parentProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ControlTestWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    bool fromControl = self && reinterpret_cast<HWND>(lParam) == self->control_;
    // The knob's KN_VALUECHANGED and the view's marker message arrive as WM_USER + 1 and + 11.
    if (fromControl && (message == WM_USER + 1 || message == WM_USER + 11)) {
        if (message == WM_USER + 1)
            self->knobNotifications.push_back(*reinterpret_cast<const KnobNotification*>(wParam));
        else
            self->markerNotifications.push_back(*reinterpret_cast<const MarkerNotification*>(wParam));
        if (self->onNotification) self->onNotification();
    } else if (self && message == WM_MOUSEWHEEL)
        ++self->wheelMessages;
    else if (message == WM_DESTROY)
        PostQuitMessage(0);  // ends the demo's message loop; the tests never close their parent
    return DefWindowProcW(window, message, wParam, lParam);
}

void ControlTestWindow::pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::vector<uint32_t> ControlTestWindow::capture() {
    RedrawWindow(control_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    pumpMessages();
    HDC screen = GetDC(control_);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width_, height_);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width_, height_, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};  // top-down rows
    std::vector<uint32_t> pixels(size_t(width_) * height_);
    GetDIBits(memory, bitmap, 0, height_, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(control_, screen);
    return pixels;
}

HCURSOR ControlTestWindow::cursorAt(int x, int y) {
    POINT p = {x, y};
    ClientToScreen(control_, &p);
    SetCursorPos(p.x, p.y);
    pumpMessages();  // the move, now rather than in the middle of a test
    SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
    HWND target = ChildWindowFromPointEx(control_, POINT{x, y}, CWP_SKIPINVISIBLE);  // the control or a child
    SendMessageW(target, WM_SETCURSOR, WPARAM(target), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
}

constexpr uint8_t kPattern = 0xA5;
constexpr int kBlocksTried = 16;

DestroyedInNotification::DestroyedInNotification(ControlTestWindow& window)
    : window_(window), control_(window.control()), state_(reinterpret_cast<void*>(GetWindowLongPtrW(control_, 0))),
      size_(state_ ? _msize(state_) : 0) {
    window.onNotification = [this] {
        if (!destroying_) destroy();  // once: destroying sends more
    };
}

void DestroyedInNotification::destroy() {
    destroying_ = true;
    DestroyWindow(control_);
    for (int i = 0; i < kBlocksTried && !taken_; ++i) {
        void* block = malloc(size_);
        if (!block) break;
        blocks_.push_back(block);
        if (block == state_) taken_ = block;
    }
    if (taken_) memset(taken_, kPattern, size_);
}

bool DestroyedInNotification::untouched() const {
    if (!taken_) return false;
    const uint8_t* bytes = static_cast<const uint8_t*>(taken_);
    for (size_t i = 0; i < size_; ++i)
        if (bytes[i] != kPattern) return false;
    return true;
}

bool DestroyedInNotification::freedOnce() {
    void* next = malloc(size_);
    if (next == taken_) return false;  // freed behind its new owner's back: it is that owner's again
    free(next);
    return true;
}

DestroyedInNotification::~DestroyedInNotification() {
    window_.onNotification = nullptr;
    for (void* block : blocks_) free(block);
}
