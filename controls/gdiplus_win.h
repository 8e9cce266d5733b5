#pragma once
// The GDI+ flat interface, as the controls draw with it.
#include <windows.h>

#include <gdiplus.h>

#include <cstdint>

// A system colour as opaque ARGB.
inline Gdiplus::ARGB systemArgb(int index) {
    COLORREF c = GetSysColor(index);
    return 0xFF000000u | (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
}

// An off-screen 32-bit ARGB bitmap and a graphics on it, drawn to the window in one piece.
struct OffscreenCanvas {
    Gdiplus::GpBitmap* bitmap = nullptr;
    Gdiplus::GpGraphics* graphics = nullptr;
    bool open(int width, int height) {
        if (width < 1) width = 1;
        if (height < 1) height = 1;
        if (Gdiplus::DllExports::GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr,
                                                           &bitmap) != Gdiplus::Ok)
            return false;
        return Gdiplus::DllExports::GdipGetImageGraphicsContext(bitmap, &graphics) == Gdiplus::Ok;
    }
    void copyTo(HDC dc) {
        Gdiplus::GpGraphics* target = nullptr;
        if (Gdiplus::DllExports::GdipCreateFromHDC(dc, &target) == Gdiplus::Ok) {
            Gdiplus::DllExports::GdipDrawImageI(target, bitmap, 0, 0);
            Gdiplus::DllExports::GdipDeleteGraphics(target);
        }
    }
    ~OffscreenCanvas() {
        if (graphics) Gdiplus::DllExports::GdipDeleteGraphics(graphics);
        if (bitmap) Gdiplus::DllExports::GdipDisposeImage(bitmap);
    }
};

// The GDI+ font for a control's font handle, or the device context's font without one.
inline Gdiplus::GpFont* controlFont(HDC dc, HFONT font) {
    Gdiplus::GpFont* result = nullptr;
    LOGFONTW description;
    if (font && GetObjectW(font, sizeof description, &description))
        Gdiplus::DllExports::GdipCreateFontFromLogfontW(dc, &description, &result);
    else
        Gdiplus::DllExports::GdipCreateFontFromDC(dc, &result);
    return result;
}
