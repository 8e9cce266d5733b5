#pragma once
// The GDI+ flat interface, as the controls draw with it.
#include <windows.h>

#include <gdiplus.h>

#include <cstdint>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

// A system colour as opaque ARGB.
inline ARGB systemArgb(int index) {
    COLORREF c = GetSysColor(index);
    return 0xFF000000u | (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}

// An off-screen 32-bit ARGB bitmap and a graphics on it, drawn to the window in one piece.
struct OffscreenCanvas {
    GpBitmap* bitmap = nullptr;
    GpGraphics* graphics = nullptr;
    bool open(int width, int height) {
        if (width < 1) width = 1;
        if (height < 1) height = 1;
        if (GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap) != Ok) return false;
        return GdipGetImageGraphicsContext(bitmap, &graphics) == Ok;
    }
    void copyTo(HDC dc) {
        GpGraphics* target = nullptr;
        if (GdipCreateFromHDC(dc, &target) == Ok) {
            GdipDrawImageI(target, bitmap, 0, 0);
            GdipDeleteGraphics(target);
        }
    }
    ~OffscreenCanvas() {
        if (graphics) GdipDeleteGraphics(graphics);
        if (bitmap) GdipDisposeImage(bitmap);
    }
};

// The GDI+ font for a control's font handle, or the device context's font without one.
inline GpFont* controlFont(HDC dc, HFONT font) {
    GpFont* result = nullptr;
    LOGFONTW description;
    if (font && GetObjectW(font, sizeof description, &description))
        GdipCreateFontFromLogfontW(dc, &description, &result);
    else
        GdipCreateFontFromDC(dc, &result);
    return result;
}

// The custom controls' window classes: redrawn on resizing, usable by any
// module, a pointer to the control's state in the extra bytes, no cursor and
// no background (the controls paint every pixel).
inline bool registerControlClass(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_GLOBALCLASS;
    windowClass.lpfnWndProc = procedure;
    windowClass.cbWndExtra = sizeof(void*);
    windowClass.lpszClassName = name;
    return RegisterClassW(&windowClass) != 0;
}
