#include "controls/waveform_view_win.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "controls/control_class_win.h"
#include "controls/gdiplus_win.h"
#include "controls/waveform_geometry.h"
#include "controls/window_dpi_win.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

constexpr uint32_t kMaxMarkers = 8;
constexpr uint16_t kNoMarker = 0xFFFF;
constexpr ARGB kWaveformColour = 0xFFB41982;
constexpr ARGB kOverlayColour = 0xA04682B4;
constexpr ARGB kPlayLineColour = 0xFFF39100;
constexpr BYTE kDimAlpha = 0xA8;                 // the button face over the samples outside start and end
constexpr int32_t kClosestPixelsPerSample = 8;   // at 96 DPI
constexpr int32_t kLineReach = 4;                // pixels either side of a marker's line that grab it, at 96 DPI
constexpr int32_t kWheelStepPixels = 40;         // a notch of Shift+wheel or the horizontal wheel, at 96 DPI
constexpr double kScrollLineFraction = 1.0 / 16; // of the plot width, for the scroll bar's arrows
constexpr UINT_PTR kEdgeScrollTimer = 1;
constexpr UINT kEdgeScrollMilliseconds = 30;

struct WaveformMarker {
    char16_t label;
    int32_t minimum;
    int32_t maximum;
    int32_t position;  // negative: not placed
    float handleSize;  // the label's size with the view's font, measured at paint time
};

struct WaveformState {
    HFONT font;
    PathPoints waveformPath;
    PathPoints overlayPath;
    const float* primary;
    uint32_t primaryCount;
    const float* overlay;
    uint32_t overlayCount;
    VisibleRange range;  // of the primary series; the overlay is drawn sample for sample under it
    uint32_t dpi;
    int32_t playPosition;
    WaveformMarker markers[kMaxMarkers];
    uint32_t markerCount;
    uint16_t dragMarker;
    float grabOffset;  // pointer x less the dragged marker's x at the press: the marker keeps that distance
    int32_t dragStart; // the dragged marker's position at the press, for a drag that is cancelled
    float dragX;       // the pointer's x at the last move of a marker drag
    bool edgeScrolling;
    bool panning;  // a middle-button drag
    float panX;
    VisibleRange panRange;
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

float closestPixelsPerSample(const WaveformState& s) { return float(scaleByDpi(kClosestPixelsPerSample, s.dpi)); }

void layoutPaths(HWND view, WaveformState& s) {
    PlotArea area = plotOf(view);
    buildSeriesPath(s.waveformPath, s.primary, s.primaryCount, area, s.range, false);
    buildSeriesPath(s.overlayPath, s.overlay, s.overlayCount, area, s.range, false);
    buildSeriesPath(s.overlayPath, s.overlay, s.overlayCount, area, s.range, true);
    s.needsLayout = false;
}

// Lines and handle squares of the markers at the current zoom, with the label
// sizes of the last paint. Nothing shows without a series.
void placeAll(HWND view, const WaveformState& s, MarkerPlacement* placement) {
    for (uint32_t i = 0; i < s.markerCount; ++i) {
        const WaveformMarker& m = s.markers[i];
        placement[i] = {s.primaryCount > 0 && m.position >= 0, m.position, m.handleSize, false, 0, 0};
    }
    placeMarkers(placement, s.markerCount, plotOf(view), s.range);
}

void measureLabels(WaveformState& s, GpGraphics* g, GpFont* font, GpStringFormat* format) {
    for (uint32_t i = 0; i < s.markerCount; ++i) {
        WaveformMarker& m = s.markers[i];
        Gdiplus::RectF layoutBox(0, 0, 1000, 1000), bounds;
        GdipMeasureString(g, reinterpret_cast<const WCHAR*>(&m.label), 1, font, &layoutBox, format, &bounds, nullptr,
                          nullptr);
        m.handleSize = std::floor(bounds.Width > bounds.Height ? bounds.Width : bounds.Height);
    }
}

// ---- the visible range ---------------------------------------------------------

// The scroll bar under the plot, in samples, shown only while zoomed in.
// Showing or hiding it changes the client height alone, never the width, so
// the WM_SIZE it sends leaves the range as it is.
void updateScrollBar(HWND view, const WaveformState& s) {
    const bool zoomed = s.primaryCount > 1 && !isWholeRange(s.range, s.primaryCount);
    SCROLLINFO info = {sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    if (zoomed) {
        const double last = s.primaryCount > uint32_t(INT_MAX) ? double(INT_MAX) : double(s.primaryCount - 1);
        const double page = std::floor(s.range.span), first = std::floor(s.range.first);
        info.nMax = int(last);
        info.nPage = UINT(page < 1 ? 1 : (page > last ? last : page));  // less than the range: the bar stays
        info.nPos = int(first > last ? last : first);
    }
    SetScrollInfo(view, SB_HORZ, &info, TRUE);
    const bool shown = (GetWindowLongPtrW(view, GWL_STYLE) & WS_HSCROLL) != 0;
    if (shown != zoomed) ShowScrollBar(view, SB_HORZ, zoomed);
}

bool setRange(HWND view, WaveformState& s, VisibleRange range) {
    range = clampRange(range, s.primaryCount, plotOf(view).width, closestPixelsPerSample(s));
    if (sameRange(range, s.range)) return false;
    s.range = range;
    s.needsLayout = true;
    redraw(view);
    updateScrollBar(view, s);
    return true;
}

void zoomAt(HWND view, WaveformState& s, double x, double steps) {
    setRange(view, s, zoomAround(s.range, x, steps, plotOf(view), s.primaryCount, closestPixelsPerSample(s)));
}

void panBy(HWND view, WaveformState& s, double pixels) {
    setRange(view, s, panByPixels(s.range, pixels, plotOf(view), s.primaryCount, closestPixelsPerSample(s)));
}

// WV_ZOOM: around a sample kept in place, or brought to the middle first when it is not shown.
void zoomAroundSample(HWND view, WaveformState& s, double steps, int32_t sample) {
    const PlotArea area = plotOf(view);
    double x = area.x0 + area.width * 0.5;
    if (sample >= 0) {
        if (sample < s.range.first || sample > s.range.first + s.range.span)
            setRange(view, s, {sample - s.range.span * 0.5, s.range.span});
        x = pixelOfSample(area, s.range, sample);
    }
    zoomAt(view, s, x, steps);
}

void onScroll(HWND view, WaveformState& s, int request) {
    const double width = plotOf(view).width;
    switch (request) {
    case SB_LINELEFT: panBy(view, s, -width * kScrollLineFraction); break;
    case SB_LINERIGHT: panBy(view, s, width * kScrollLineFraction); break;
    case SB_PAGELEFT: panBy(view, s, -width); break;
    case SB_PAGERIGHT: panBy(view, s, width); break;
    case SB_LEFT: setRange(view, s, {0, s.range.span}); break;
    case SB_RIGHT: setRange(view, s, {double(s.primaryCount), s.range.span}); break;
    case SB_THUMBTRACK: case SB_THUMBPOSITION: {
        SCROLLINFO info = {sizeof info, SIF_TRACKPOS, 0, 0, 0, 0, 0};
        if (GetScrollInfo(view, SB_HORZ, &info)) setRange(view, s, {double(info.nTrackPos), s.range.span});
        break;
    }
    default: break;
    }
}

// ---- painting ------------------------------------------------------------------

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

// What lies before marker 0 and after marker 1 is not played: the face colour, partly
// transparent, over it. Edges on the columns of the marker lines, which cover them.
void dimOutsideStartAndEnd(GpGraphics* g, const WaveformState& s, const PlotArea& area, ARGB face) {
    if (s.markerCount < 2 || s.markers[0].position < 0 || s.markers[1].position < 0) return;
    int32_t start = s.markers[0].position, end = s.markers[1].position;
    if (start > end) std::swap(start, end);
    const double left = area.x0, right = double(area.x0) + area.width;
    auto columnOf = [&](int32_t position) {
        double x = std::floor(pixelOfSample(area, s.range, position));
        return x < left ? left : (x > right ? right : x);
    };
    const double startX = columnOf(start), endX = columnOf(end);
    GpSolidFill* dim = nullptr;
    if (GdipCreateSolidFill((ARGB(kDimAlpha) << 24) | (face & 0xFFFFFF), &dim) != Ok) return;
    if (startX > left) GdipFillRectangle(g, dim, area.x0, area.y0, float(startX - left), area.height);
    if (endX < right) GdipFillRectangle(g, dim, float(endX), area.y0, float(right - endX), area.height);
    GdipDeleteBrush(dim);
}

void paintMarkers(HWND view, WaveformState& s, HDC dc, GpGraphics* g, const PlotArea& area, ARGB face, ARGB text) {
    GpFont* font = controlFont(dc, s.font);
    GpStringFormat* centred = nullptr;
    GdipCreateStringFormat(StringFormatFlagsNoWrap, LANG_NEUTRAL, &centred);
    measureLabels(s, g, font, centred);
    MarkerPlacement placement[kMaxMarkers];
    placeAll(view, s, placement);
    GpSolidFill* textBrush = nullptr;
    GpSolidFill* faceBrush = nullptr;
    GdipCreateSolidFill(text, &textBrush);
    GdipCreateSolidFill(face, &faceBrush);
    GpPen* outline = nullptr;
    GdipCreatePen1(text, 1, UnitPixel, &outline);
    GdipSetStringFormatAlign(centred, StringAlignmentCenter);
    GdipSetStringFormatLineAlign(centred, StringAlignmentCenter);
    for (uint32_t i = 0; i < s.markerCount; ++i) {
        const MarkerPlacement& m = placement[i];
        if (!m.shown) continue;
        GdipFillRectangle(g, textBrush, m.lineX, area.y0, 2, area.height);
        GdipFillRectangle(g, faceBrush, m.handleX, area.y0, m.handleSize, m.handleSize);
        GdipDrawRectangle(g, outline, m.handleX, area.y0, m.handleSize, m.handleSize);
        Gdiplus::RectF box(m.handleX, area.y0, m.handleSize, m.handleSize);
        GdipDrawString(g, reinterpret_cast<const WCHAR*>(&s.markers[i].label), 1, font, &box, centred, textBrush);
    }
    GdipDeleteStringFormat(centred);
    GdipDeletePen(outline);
    GdipDeleteBrush(faceBrush);
    GdipDeleteBrush(textBrush);
    if (font) GdipDeleteFont(font);
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
            dimOutsideStartAndEnd(g, s, area, face);
            paintMarkers(view, s, dc, g, area, face, text);

            if (s.playPosition >= 0 && s.playPosition >= s.range.first &&
                s.playPosition <= s.range.first + s.range.span) {
                GpSolidFill* play = nullptr;
                GdipCreateSolidFill(kPlayLineColour, &play);
                float x = float(pixelOfSample(area, s.range, s.playPosition));
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

// The marker grabbed at (x, y), by its handle or near its line, or -1.
int32_t markerAt(HWND view, const WaveformState& s, float x, float y) {
    MarkerPlacement placement[kMaxMarkers];
    placeAll(view, s, placement);
    return markerAtPoint(placement, s.markerCount, plotOf(view), x, y, float(scaleByDpi(kLineReach, s.dpi)));
}

// The hand while dragging a marker and where one can be grabbed, the
// left-right arrows while moving along the series, the arrow elsewhere.
void setCursorForPointer(HWND view, const WaveformState& s) {
    POINT p = {-1000, -1000};  // off every marker when the position cannot be read (a locked desktop)
    if (GetCursorPos(&p)) ScreenToClient(view, &p);
    const wchar_t* cursor = IDC_ARROW;
    if (s.panning)
        cursor = IDC_SIZEWE;
    else if (s.dragMarker != kNoMarker || markerAt(view, s, float(p.x), float(p.y)) >= 0)
        cursor = IDC_HAND;
    SetCursor(LoadCursorW(nullptr, cursor));
}

void stopEdgeScrolling(HWND view, WaveformState& s) {
    if (!s.edgeScrolling) return;
    s.edgeScrolling = false;
    KillTimer(view, kEdgeScrollTimer);
}

// Pixels the pointer lies beyond the plot's left (negative) or right edge, 0 inside.
double beyondPlot(const PlotArea& area, float x) {
    if (x < area.x0) return double(x) - area.x0;
    if (x >= area.x0 + area.width) return double(x) - (double(area.x0) + area.width) + 1;
    return 0;
}

// The dragged marker to the pointer at x, less the distance it was grabbed
// at. Beyond the plot's edge it waits at the edge while the view scrolls
// along, every tick of the edge timer.
void dragTo(HWND view, WaveformState& s, float x) {
    const PlotArea area = plotOf(view);
    s.dragX = x;
    setMarkerPosition(view, s, s.dragMarker, dragPosition(area, s.range, s.primaryCount, double(x) - s.grabOffset));
    const double beyond = beyondPlot(area, x);
    const bool canScroll = (beyond < 0 && s.range.first > 0) ||
                           (beyond > 0 && s.range.first + s.range.span < double(s.primaryCount));
    if (canScroll && !s.edgeScrolling)
        s.edgeScrolling = SetTimer(view, kEdgeScrollTimer, kEdgeScrollMilliseconds, nullptr) != 0;
    if (!canScroll) stopEdgeScrolling(view, s);
    notifyParent(view, s, s.dragMarker, true);
}

void onEdgeScrollTimer(HWND view, WaveformState& s) {
    if (s.dragMarker == kNoMarker) {
        stopEdgeScrolling(view, s);
        return;
    }
    const PlotArea area = plotOf(view);
    double beyond = beyondPlot(area, s.dragX);
    if (beyond < -area.width) beyond = -area.width;  // at most a page a tick
    if (beyond > area.width) beyond = area.width;
    panBy(view, s, beyond);
    dragTo(view, s, s.dragX);
}

void onLeftButtonDown(HWND view, WaveformState& s, float x, float y) {
    SetFocus(view);
    if (s.panning || s.dragMarker != kNoMarker) return;
    int32_t hit = markerAt(view, s, x, y);
    if (hit < 0) return;
    SetCapture(view);
    s.dragMarker = uint16_t(hit);
    s.dragStart = s.markers[hit].position;
    s.grabOffset = x - float(pixelOfSample(plotOf(view), s.range, s.markers[hit].position));
    s.dragX = x;
}

// A double-click shows the whole series, unless it lands on a marker: then it is a press.
void onDoubleClick(HWND view, WaveformState& s, float x, float y) {
    if (markerAt(view, s, x, y) >= 0) {
        onLeftButtonDown(view, s, x, y);
        return;
    }
    SetFocus(view);
    if (!s.panning && s.dragMarker == kNoMarker) setRange(view, s, wholeRange(s.primaryCount));
}

// At the release of the button the marker stays where it is. When the
// capture goes elsewhere first (Alt+Tab, a message box, WM_CANCELMODE) the
// drag is cancelled, as Windows cancels drags: the marker goes back to where
// it was, and that is what the parent is told.
void endDrag(HWND view, WaveformState& s, bool cancelled) {
    if (s.dragMarker == kNoMarker) return;
    uint16_t marker = s.dragMarker;
    s.dragMarker = kNoMarker;  // before ReleaseCapture, whose WM_CAPTURECHANGED comes back here
    stopEdgeScrolling(view, s);
    if (GetCapture() == view) ReleaseCapture();
    if (cancelled) setMarkerPosition(view, s, marker, s.dragStart);
    setCursorForPointer(view, s);
    notifyParent(view, s, marker, false);
}

// When the dragged marker or the series goes the drag stops without a word:
// there is nothing left to report a position for.
void dropDrag(HWND view, WaveformState& s) {
    if (s.dragMarker == kNoMarker) return;
    s.dragMarker = kNoMarker;
    stopEdgeScrolling(view, s);
    if (GetCapture() == view) ReleaseCapture();
}

void startPan(HWND view, WaveformState& s, float x) {
    SetFocus(view);
    if (s.panning || s.dragMarker != kNoMarker || s.primaryCount == 0) return;
    SetCapture(view);
    s.panning = true;
    s.panX = x;
    s.panRange = s.range;
    setCursorForPointer(view, s);
}

void endPan(HWND view, WaveformState& s) {
    if (!s.panning) return;
    s.panning = false;  // before ReleaseCapture, as for a marker drag
    if (GetCapture() == view) ReleaseCapture();
    setCursorForPointer(view, s);
}

void onMouseMove(HWND view, WaveformState& s, float x) {
    if (s.panning) {
        // The sample under the pointer at the press stays under it.
        setRange(view, s, panByPixels(s.panRange, s.panX - x, plotOf(view), s.primaryCount, closestPixelsPerSample(s)));
        return;
    }
    if (s.dragMarker != kNoMarker) dragTo(view, s, x);
}

// The wheel zooms around the pointer, Shift+wheel and the horizontal wheel
// move along the series (the wheel away from the user, towards the start).
// Outside the view (the wheel goes to the focus on older systems) it is
// passed on to the parent.
LRESULT onWheel(HWND view, WaveformState& s, UINT message, WPARAM wParam, LPARAM lParam) {
    POINT p = {short(LOWORD(lParam)), short(HIWORD(lParam))};
    ScreenToClient(view, &p);
    RECT client;
    GetClientRect(view, &client);
    if (s.primaryCount == 0 || !PtInRect(&client, p)) return DefWindowProcW(view, message, wParam, lParam);
    const double notches = double(short(HIWORD(wParam))) / WHEEL_DELTA;
    const double step = scaleByDpi(kWheelStepPixels, s.dpi);
    if (message == WM_MOUSEHWHEEL)
        panBy(view, s, notches * step);
    else if (LOWORD(wParam) & MK_SHIFT)
        panBy(view, s, -notches * step);
    else
        zoomAt(view, s, p.x, notches);
    if (s.panning) {
        s.panX = float(p.x);
        s.panRange = s.range;
    }
    if (s.dragMarker != kNoMarker) dragTo(view, s, s.dragX);  // the marker stays with the pointer; notifies last
    return 0;
}

LRESULT onCreate(HWND view) {
    auto* s = static_cast<WaveformState*>(calloc(1, sizeof(WaveformState)));
    if (!s) return -1;  // no state, no view
    s->font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    s->playPosition = -1;
    s->dragMarker = kNoMarker;
    s->needsLayout = true;
    s->dpi = uint32_t(queryWindowDpi(view).x);
    SetWindowLongPtrW(view, 0, reinterpret_cast<LONG_PTR>(s));
    return 0;
}

void setPrimary(HWND view, WaveformState& s, const float* samples, uint32_t count) {
    const uint32_t before = s.primaryCount;
    s.primary = samples;
    s.primaryCount = samples ? count : 0;
    if (s.primaryCount == 0) {
        dropDrag(view, s);
        endPan(view, s);
    }
    // The same length is the same sound with new values (a knob step): the zoom stays.
    if (s.primaryCount != before) {
        s.range = wholeRange(s.primaryCount);
        updateScrollBar(view, s);
    }
    s.needsLayout = true;
    redraw(view);
}

LRESULT CALLBACK waveformViewProcedure(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) return onCreate(view);
    WaveformState* s = stateOf(view);
    if (!s) return controlWithoutState(view, message, wParam, lParam);
    uint32_t index = LOWORD(wParam);
    const float x = float(short(LOWORD(lParam))), y = float(short(HIWORD(lParam)));
    switch (message) {
    case WM_DESTROY:
        SetWindowLongPtrW(view, 0, 0);
        KillTimer(view, kEdgeScrollTimer);
        releasePathPoints(s->waveformPath);
        releasePathPoints(s->overlayPath);
        free(s);
        return 0;
    case WM_PAINT: paint(view, *s); return 0;
    case WM_SIZE:
        // A new width may allow a closer zoom or need a wider one.
        setRange(view, *s, s->range);
        s->needsLayout = true;
        redraw(view);
        return 0;
    case WM_DPICHANGED:
        s->dpi = LOWORD(wParam) ? LOWORD(wParam) : s->dpi;
        setRange(view, *s, s->range);
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
    case WM_LBUTTONDOWN: onLeftButtonDown(view, *s, x, y); return 0;
    case WM_LBUTTONDBLCLK: onDoubleClick(view, *s, x, y); return 0;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: startPan(view, *s, x); return 0;
    case WM_MBUTTONUP: endPan(view, *s); return 0;
    case WM_MOUSEMOVE: onMouseMove(view, *s, x); return 0;
    case WM_LBUTTONUP: endDrag(view, *s, false); return 0;
    case WM_CAPTURECHANGED:
        endPan(view, *s);
        endDrag(view, *s, true);
        return 0;
    case WM_MOUSEWHEEL: case WM_MOUSEHWHEEL: return onWheel(view, *s, message, wParam, lParam);
    case WM_HSCROLL: onScroll(view, *s, LOWORD(wParam)); return 0;
    case WM_TIMER:
        if (wParam == kEdgeScrollTimer) onEdgeScrollTimer(view, *s);
        return 0;
    case WM_SETCURSOR:
        // Over a child, the frame or the scroll bar the default handling decides.
        if (reinterpret_cast<HWND>(wParam) != view || LOWORD(lParam) != HTCLIENT)
            return DefWindowProcW(view, message, wParam, lParam);
        setCursorForPointer(view, *s);
        return TRUE;
    case WV_SETPRIMARY: setPrimary(view, *s, reinterpret_cast<const float*>(wParam), uint32_t(lParam)); return 0;
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
        s->markers[s->markerCount] = {char16_t(wParam), -1, -1, -1, 0};
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
    case WV_SETVISIBLE:
        setRange(view, *s, lParam ? VisibleRange{double(uint32_t(wParam)), double(uint32_t(lParam))}
                                  : wholeRange(s->primaryCount));
        return 0;
    case WV_GETVISIBLE:
        if (auto* shown = reinterpret_cast<VisibleSamples*>(wParam))
            *shown = {uint32_t(std::lround(s->range.first)), uint32_t(std::lround(s->range.span))};
        return 0;
    case WV_ZOOM:
        if (s->primaryCount) zoomAroundSample(view, *s, double(int32_t(wParam)) / WHEEL_DELTA, int32_t(lParam));
        return 0;
    default:
        return DefWindowProcW(view, message, wParam, lParam);
    }
}

}  // namespace

bool registerWaveformViewClass(HINSTANCE instance) {
    return registerControlClass(instance, kWaveformViewClass, waveformViewProcedure, CS_DBLCLKS);
}
