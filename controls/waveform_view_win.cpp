#include "controls/waveform_view_win.h"

#include <cmath>
#include <cstdlib>

#include "controls/control_class_win.h"
#include "controls/gdiplus_win.h"
#include "controls/waveform_geometry.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

constexpr uint32_t kMaxMarkers = 8;
constexpr uint16_t kNoMarker = 0xFFFF;
constexpr ARGB kWaveformColour = 0xFFB41982;
constexpr ARGB kOverlayColour = 0xA04682B4;
constexpr ARGB kPlayLineColour = 0xFFF39100;

struct WaveformMarker {
    char16_t label;
    int32_t minimum;
    int32_t maximum;
    int32_t position;  // negative: not placed
    float lineX;
    float handleX;
    float handleSize;
};

struct WaveformState {
    HFONT font;
    PathPoints waveformPath;
    PathPoints overlayPath;
    float plotLeft;
    float pixelsPerSample;
    const float* primary;
    uint32_t primaryCount;
    const float* overlay;
    uint32_t overlayCount;
    int32_t playPosition;
    WaveformMarker markers[kMaxMarkers];
    uint32_t markerCount;
    uint16_t dragMarker;
    bool needsLayout;
    bool overlayVisible;
};

WaveformState* stateOf(HWND view) { return reinterpret_cast<WaveformState*>(GetWindowLongPtrW(view, 0)); }

void redraw(HWND view) { InvalidateRect(view, nullptr, FALSE); }

PlotArea plotOf(HWND view) {
    RECT client;
    GetClientRect(view, &client);
    return plotAreaOf(client.right, client.bottom);
}

void layoutPaths(HWND view, WaveformState& s) {
    PlotArea area = plotOf(view);
    buildSeriesPath(s.waveformPath, s.primary, s.primaryCount, area, false);
    buildSeriesPath(s.overlayPath, s.overlay, s.overlayCount, area, false);
    buildSeriesPath(s.overlayPath, s.overlay, s.overlayCount, area, true);
    s.plotLeft = area.x0;
    s.pixelsPerSample = pixelsPerSampleOf(area, s.primaryCount);
    s.needsLayout = false;
}

// Lines and handle squares of the placed markers; the handle's side is the label's size.
void layoutMarkers(HWND view, WaveformState& s, GpGraphics* g, GpFont* font, GpStringFormat* format) {
    MarkerPlacement placement[kMaxMarkers];
    for (uint32_t i = 0; i < s.markerCount; ++i) {
        WaveformMarker& m = s.markers[i];
        Gdiplus::RectF layoutBox(0, 0, 1000, 1000), bounds;
        GdipMeasureString(g, reinterpret_cast<const WCHAR*>(&m.label), 1, font, &layoutBox, format, &bounds, nullptr,
                          nullptr);
        m.handleSize = std::floor(bounds.Width > bounds.Height ? bounds.Width : bounds.Height);
        placement[i] = {m.position >= 0, m.position, m.handleSize, 0, 0};
    }
    placeMarkers(placement, s.markerCount, plotOf(view), s.pixelsPerSample);
    for (uint32_t i = 0; i < s.markerCount; ++i) {
        s.markers[i].lineX = placement[i].lineX;
        s.markers[i].handleX = placement[i].handleX;
    }
}

void fillPath(GpGraphics* g, const PathPoints& points, ARGB colour, bool fill) {
    if (points.count < 2) return;
    GpPath* path = nullptr;
    if (GdipCreatePath(FillModeAlternate, &path) != Ok) return;
    GdipAddPathLine2(path, reinterpret_cast<const GpPointF*>(points.points), int(points.count));
    if (fill) {
        GdipClosePathFigure(path);
        GpSolidFill* brush = nullptr;
        GdipCreateSolidFill(colour, &brush);
        GdipFillPath(g, brush, path);
        GdipDeleteBrush(brush);
    } else {
        GpPen* pen = nullptr;
        GdipCreatePen1(colour, 1, UnitPixel, &pen);
        GdipDrawPath(g, pen, path);
        GdipDeletePen(pen);
    }
    GdipDeletePath(path);
}

void paint(HWND view, WaveformState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(view, &ps);
    RECT client;
    GetClientRect(view, &client);
    OffscreenCanvas canvas;
    if (canvas.open(client.right, client.bottom)) {
        GpGraphics* g = canvas.graphics;
        GdipSetPageUnit(g, UnitPixel);
        if (s.needsLayout) layoutPaths(view, s);
        PlotArea area = plotOf(view);
        const ARGB face = systemArgb(COLOR_BTNFACE), text = systemArgb(COLOR_BTNTEXT);
        GdipGraphicsClear(g, face);
        GpPen* border = nullptr;
        GdipCreatePen1(systemArgb(COLOR_BTNSHADOW), 1, UnitPixel, &border);
        GdipDrawRectangleI(g, border, 0, 0, client.right - 1, client.bottom - 1);
        GdipDeletePen(border);
        GdipSetClipRect(g, area.x0, area.y0, area.width, area.height, CombineModeReplace);

        GpPen* textPen = nullptr;
        GdipCreatePen1(text, 1, UnitPixel, &textPen);
        // The height made odd, as for the plot area, puts the centre line on a pixel row.
        int32_t oddHeight = client.bottom % 2 == 0 ? client.bottom - 1 : client.bottom;
        float centreY = float(oddHeight - 1) * 0.5f;
        GdipDrawLine(g, textPen, area.x0, centreY, float(client.right - 2), centreY);
        GdipDeletePen(textPen);

        if (s.primaryCount > 0) {
            GdipSetSmoothingMode(g, SmoothingModeAntiAlias);
            fillPath(g, s.waveformPath, kWaveformColour, false);
            if (s.overlayCount > 0 && s.overlayVisible) fillPath(g, s.overlayPath, kOverlayColour, true);
            GdipSetSmoothingMode(g, SmoothingModeNone);

            GpFont* font = controlFont(dc, s.font);
            GpStringFormat* centred = nullptr;
            GdipCreateStringFormat(StringFormatFlagsNoWrap, LANG_NEUTRAL, &centred);
            layoutMarkers(view, s, g, font, centred);
            GpSolidFill* textBrush = nullptr;
            GpSolidFill* faceBrush = nullptr;
            GdipCreateSolidFill(text, &textBrush);
            GdipCreateSolidFill(face, &faceBrush);
            GpPen* outline = nullptr;
            GdipCreatePen1(text, 1, UnitPixel, &outline);
            GdipSetStringFormatAlign(centred, StringAlignmentCenter);
            GdipSetStringFormatLineAlign(centred, StringAlignmentCenter);
            for (uint32_t i = 0; i < s.markerCount; ++i) {
                const WaveformMarker& m = s.markers[i];
                if (m.position < 0) continue;
                GdipFillRectangle(g, textBrush, m.lineX, area.y0, 2, area.height);
                GdipFillRectangle(g, faceBrush, m.handleX, area.y0, m.handleSize, m.handleSize);
                GdipDrawRectangle(g, outline, m.handleX, area.y0, m.handleSize, m.handleSize);
                Gdiplus::RectF box(m.handleX, area.y0, m.handleSize, m.handleSize);
                GdipDrawString(g, reinterpret_cast<const WCHAR*>(&m.label), 1, font, &box, centred, textBrush);
            }
            GdipDeleteStringFormat(centred);
            GdipDeletePen(outline);
            GdipDeleteBrush(faceBrush);
            GdipDeleteBrush(textBrush);
            if (font) GdipDeleteFont(font);

            if (s.playPosition >= 0) {
                GpSolidFill* play = nullptr;
                GdipCreateSolidFill(kPlayLineColour, &play);
                float x = s.pixelsPerSample * float(s.playPosition) + s.plotLeft;
                GdipFillRectangle(g, play, x, area.y0, 2, float(client.bottom - 2) - area.y0);
                GdipDeleteBrush(play);
            }
        }
        canvas.copyTo(dc);
    }
    EndPaint(view, &ps);
}

// ---- markers and the mouse ---------------------------------------------------

void setMarkerPosition(HWND view, WaveformState& s, uint32_t index, int32_t position) {
    WaveformMarker& m = s.markers[index];
    position = clampMarkerPosition(position, m.minimum, m.maximum);
    if (position == m.position) return;
    m.position = position;
    redraw(view);
}

// The parent may destroy the view from inside the notification, and the state
// with it: every caller sends it last and touches nothing of the state after.
void notifyParent(HWND view, const WaveformState& s, uint16_t marker, bool dragging) {
    MarkerNotification notification = {uint32_t(s.markers[marker].position), marker, uint8_t(dragging ? 1 : 0)};
    SendMessageW(GetParent(view), WN_MARKERMOVED, reinterpret_cast<WPARAM>(&notification),
                 reinterpret_cast<LPARAM>(view));
}

// The marker whose handle is at (x, y), or -1. Handles are drawn only over a
// series; without one their layout is what an earlier paint left.
int32_t handleAt(const WaveformState& s, float x, float y) {
    if (s.primaryCount == 0) return -1;
    for (uint32_t i = 0; i < s.markerCount; ++i) {
        const WaveformMarker& m = s.markers[i];
        if (m.position >= 0 && m.handleX <= x && x <= m.handleX + m.handleSize && y <= m.handleSize) return int32_t(i);
    }
    return -1;
}

// The hand while dragging and over a handle, the arrow elsewhere.
void setCursorForPointer(HWND view, const WaveformState& s) {
    POINT p = {-1, -1};  // stays off every handle when the position cannot be read (a locked desktop)
    if (GetCursorPos(&p)) ScreenToClient(view, &p);
    bool hand = s.dragMarker != kNoMarker || handleAt(s, float(p.x), float(p.y)) >= 0;
    SetCursor(LoadCursorW(nullptr, hand ? IDC_HAND : IDC_ARROW));
}

// At the release of the button, or when the capture goes elsewhere (Alt+Tab,
// another window taking the mouse): whichever comes first ends the drag.
void endDrag(HWND view, WaveformState& s) {
    if (s.dragMarker == kNoMarker) return;
    uint16_t marker = s.dragMarker;
    s.dragMarker = kNoMarker;  // before ReleaseCapture, whose WM_CAPTURECHANGED comes back here
    if (GetCapture() == view) ReleaseCapture();
    setCursorForPointer(view, s);
    notifyParent(view, s, marker, false);
}

// When the dragged marker or the series goes the drag stops without a word:
// there is nothing left to report a position for.
void dropDrag(HWND view, WaveformState& s) {
    if (s.dragMarker == kNoMarker) return;
    s.dragMarker = kNoMarker;
    if (GetCapture() == view) ReleaseCapture();
}

void onMouseMove(HWND view, WaveformState& s, float x) {
    if (s.dragMarker == kNoMarker) return;
    setMarkerPosition(view, s, s.dragMarker, sampleAtX(x, s.pixelsPerSample, s.primaryCount));
    notifyParent(view, s, s.dragMarker, true);
}

LRESULT onCreate(HWND view) {
    auto* s = static_cast<WaveformState*>(calloc(1, sizeof(WaveformState)));
    if (!s) return -1;  // no state, no view
    s->font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    s->playPosition = -1;
    s->dragMarker = kNoMarker;
    s->needsLayout = true;
    SetWindowLongPtrW(view, 0, reinterpret_cast<LONG_PTR>(s));
    return 0;
}

LRESULT CALLBACK waveformViewProcedure(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) return onCreate(view);
    WaveformState* s = stateOf(view);
    if (!s) return controlWithoutState(view, message, wParam, lParam);
    uint32_t index = LOWORD(wParam);
    switch (message) {
    case WM_DESTROY:
        SetWindowLongPtrW(view, 0, 0);
        releasePathPoints(s->waveformPath);
        releasePathPoints(s->overlayPath);
        free(s);
        return 0;
    case WM_PAINT: paint(view, *s); return 0;
    case WM_SIZE: case WM_DPICHANGED:
        s->needsLayout = true;
        redraw(view);
        return 0;
    case WM_SETFOCUS: case WM_KILLFOCUS: redraw(view); return 0;
    case WM_SETFONT:
        s->font = reinterpret_cast<HFONT>(wParam);
        s->needsLayout = true;
        if (lParam) redraw(view);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s->font);
    case WM_LBUTTONDOWN: {
        SetFocus(view);
        int32_t hit = handleAt(*s, float(short(LOWORD(lParam))), float(short(HIWORD(lParam))));
        if (hit >= 0) {
            SetCapture(view);
            s->dragMarker = uint16_t(hit);
        }
        return 0;
    }
    case WM_MOUSEMOVE: onMouseMove(view, *s, float(short(LOWORD(lParam)))); return 0;
    case WM_LBUTTONUP: case WM_CAPTURECHANGED:
        endDrag(view, *s);
        return 0;
    case WM_SETCURSOR:
        // Over a child or the frame the default handling decides.
        if (reinterpret_cast<HWND>(wParam) != view || LOWORD(lParam) != HTCLIENT)
            return DefWindowProcW(view, message, wParam, lParam);
        setCursorForPointer(view, *s);
        return TRUE;
    case WV_SETPRIMARY:
        s->primary = reinterpret_cast<const float*>(wParam);
        s->primaryCount = s->primary ? uint32_t(lParam) : 0;
        if (s->primaryCount == 0) dropDrag(view, *s);
        s->needsLayout = true;
        redraw(view);
        return 0;
    case WV_SETPLAYPOSITION:
        if (int32_t(wParam) != s->playPosition) {
            s->playPosition = int32_t(wParam);
            redraw(view);
        }
        return 0;
    case WV_SETOVERLAY:
        s->overlay = reinterpret_cast<const float*>(wParam);
        s->overlayCount = s->overlay ? uint32_t(lParam) : 0;
        s->needsLayout = true;
        if (s->overlayVisible) redraw(view);
        return 0;
    case WV_SHOWOVERLAY:
        if (s->overlayVisible != (wParam != 0)) {
            s->overlayVisible = wParam != 0;
            redraw(view);
        }
        return 0;
    case WV_ADDMARKER:
        if (s->markerCount >= kMaxMarkers) return kNoMarker;
        s->markers[s->markerCount] = {char16_t(wParam), -1, -1, -1, 0, 0, 0};
        redraw(view);
        return s->markerCount++;
    case WV_REMOVEMARKER:
        if (index >= s->markerCount) return 0;
        if (s->dragMarker == index) dropDrag(view, *s);
        if (s->dragMarker != kNoMarker && s->dragMarker > index) --s->dragMarker;
        for (uint32_t i = index; i + 1 < s->markerCount; ++i) s->markers[i] = s->markers[i + 1];
        --s->markerCount;
        redraw(view);
        return 0;
    case WV_CLEARMARKERS:
        dropDrag(view, *s);
        s->markerCount = 0;
        redraw(view);
        return 0;
    case WV_SETMARKERMIN:
        if (index < s->markerCount) s->markers[index].minimum = int32_t(lParam);
        return 0;
    case WV_SETMARKERMAX:
        if (index < s->markerCount) s->markers[index].maximum = int32_t(lParam);
        return 0;
    case WV_SETMARKERPOS:
        if (index < s->markerCount) setMarkerPosition(view, *s, index, int32_t(lParam));
        return 0;
    case WV_GETMARKERPOS:
        return index < s->markerCount ? s->markers[index].position : 0;
    default:
        return DefWindowProcW(view, message, wParam, lParam);
    }
}

}  // namespace

bool registerWaveformViewClass(HINSTANCE instance) {
    return registerControlClass(instance, kWaveformViewClass, waveformViewProcedure);
}
