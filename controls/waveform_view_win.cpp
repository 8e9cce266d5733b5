#include "controls/waveform_view_win.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <utility>

#include "controls/accessible_object_win.h"
#include "controls/control_class_win.h"
#include "controls/gdiplus_win.h"
#include "controls/high_contrast_win.h"
#include "controls/marker_description.h"
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
    uint16_t selectedMarker;  // the one the keys move (the first marker shown when it is not)
    uint16_t keyMarker;       // the marker moved by the keys held now; kNoMarker between key runs
    uint32_t children;        // bit i: marker i is a child of the accessible object
    AccessibleObject* accessible;
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

// ---- the markers as children: the keys and the screen readers -----------------
// The markers shown with the series are the accessible object's children,
// numbered from 1 in marker order; the selected one has the keyboard's
// attention while the view has the focus.

bool isChild(const WaveformState& s, uint32_t index) {
    return s.primaryCount > 0 && index < s.markerCount && s.markers[index].position >= 0;
}

LONG childOfMarker(const WaveformState& s, uint32_t index) {
    if (!isChild(s, index)) return CHILDID_SELF;
    LONG child = 1;
    for (uint32_t i = 0; i < index; ++i) child += isChild(s, i) ? 1 : 0;
    return child;
}

uint16_t markerOfChild(const WaveformState& s, LONG child) {
    for (uint32_t i = 0; i < s.markerCount; ++i)
        if (isChild(s, i) && --child == 0) return uint16_t(i);
    return kNoMarker;
}

uint16_t selectedIndex(const WaveformState& s) {
    if (isChild(s, s.selectedMarker)) return s.selectedMarker;
    for (uint32_t i = 0; i < s.markerCount; ++i)
        if (isChild(s, i)) return uint16_t(i);
    return kNoMarker;
}

void raiseEvent(HWND view, DWORD event, LONG child) { NotifyWinEvent(event, view, OBJID_CLIENT, child); }

void announceFocus(HWND view, const WaveformState& s) {
    if (GetFocus() == view) raiseEvent(view, EVENT_OBJECT_FOCUS, childOfMarker(s, selectedIndex(s)));
}

// After markers or the series came or went: readers count the children again.
void noteChildren(HWND view, WaveformState& s) {
    uint32_t children = 0;
    for (uint32_t i = 0; i < s.markerCount; ++i) children |= isChild(s, i) ? 1u << i : 0;
    if (children == s.children) return;
    s.children = children;
    raiseEvent(view, EVENT_OBJECT_REORDER, CHILDID_SELF);
    announceFocus(view, s);
}

void selectMarker(HWND view, WaveformState& s, uint16_t index) {
    if (!isChild(s, index)) return;
    const bool changed = index != selectedIndex(s);
    s.selectedMarker = index;  // also when it was chosen only for want of the one selected
    if (!changed) return;
    redraw(view);
    raiseEvent(view, EVENT_OBJECT_SELECTION, childOfMarker(s, index));
    announceFocus(view, s);
}

// The marker's line and handle square, in client coordinates.
RECT markerBounds(HWND view, const WaveformState& s, uint16_t index, bool& shown) {
    MarkerPlacement placement[kMaxMarkers];
    placeAll(view, s, placement);
    const MarkerPlacement& m = placement[index];
    shown = m.shown;
    if (!m.shown) return RECT{0, 0, 0, 0};
    const PlotArea area = plotOf(view);
    const float left = m.handleX < m.lineX ? m.handleX : m.lineX;
    const float right = m.handleX + m.handleSize + 1 > m.lineX + 2 ? m.handleX + m.handleSize + 1 : m.lineX + 2;
    return RECT{LONG(std::floor(left)), LONG(area.y0), LONG(std::ceil(right)), LONG(area.y0 + area.height)};
}

LONG accessibleChildCount(HWND view) {
    const WaveformState* s = stateOf(view);
    LONG count = 0;
    for (uint32_t i = 0; s && i < s->markerCount; ++i) count += isChild(*s, i) ? 1 : 0;
    return count;
}

// The view is a grouping named by its text ("Waveform" without one), its
// markers sliders whose value is their position.
bool describeAccessible(HWND view, LONG child, AccessibleDescription& d) {
    const WaveformState* s = stateOf(view);
    if (!s) return false;
    RECT bounds;
    if (child == CHILDID_SELF) {
        wchar_t text[64] = {};
        int length = GetWindowTextW(view, text, int(std::size(text)));
        assignText(d.name, length > 0 ? Utf16View{reinterpret_cast<const char16_t*>(text), uint32_t(length)}
                                      : viewOf(u"Waveform"));
        d.role = ROLE_SYSTEM_GROUPING;
        GetClientRect(view, &bounds);
    } else {
        const uint16_t index = markerOfChild(*s, child);
        if (index == kNoMarker) return false;
        const WaveformMarker& m = s->markers[index];
        writeMarkerName(d.name, index, m.label);
        writeMarkerValue(d.value, uint32_t(m.position));
        d.role = ROLE_SYSTEM_SLIDER;
        d.state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
        if (index == selectedIndex(*s) && GetFocus() == view) d.state |= STATE_SYSTEM_SELECTED;
        bool shown = false;
        bounds = markerBounds(view, *s, index, shown);
        if (!shown) {
            d.state |= STATE_SYSTEM_OFFSCREEN;
            d.bounds = bounds;
            return true;
        }
    }
    MapWindowPoints(view, nullptr, reinterpret_cast<POINT*>(&bounds), 2);
    d.bounds = bounds;
    return true;
}

LONG accessibleChildAt(HWND view, POINT point) {
    const WaveformState* s = stateOf(view);
    if (!s) return CHILDID_SELF;
    MarkerPlacement placement[kMaxMarkers];
    placeAll(view, *s, placement);
    const int32_t hit = markerAtPoint(placement, s->markerCount, plotOf(view), float(point.x), float(point.y),
                                      float(scaleByDpi(kLineReach, s->dpi)));
    return hit < 0 ? CHILDID_SELF : childOfMarker(*s, uint32_t(hit));
}

LONG accessibleFocusedChild(HWND view) {
    const WaveformState* s = stateOf(view);
    return s ? childOfMarker(*s, selectedIndex(*s)) : CHILDID_SELF;
}

void showMarker(HWND view, WaveformState& s, uint16_t index);

// A marker a reader gives the focus or the selection is chosen as its label
// typed would choose it; not while the pointer or the keys move one.
HRESULT selectAccessibleChild(HWND view, LONG child) {
    WaveformState* s = stateOf(view);
    if (!s) return RPC_E_DISCONNECTED;
    const uint16_t index = markerOfChild(*s, child);
    if (index == kNoMarker) return E_INVALIDARG;
    if (s->dragMarker != kNoMarker || s->panning || s->keyMarker != kNoMarker) return E_ACCESSDENIED;
    selectMarker(view, *s, index);
    showMarker(view, *s, index);
    return S_OK;
}

const AccessibleSource kAccessibleSource = {accessibleChildCount,   describeAccessible, accessibleChildAt,
                                            accessibleFocusedChild, nullptr,            nullptr,
                                            selectAccessibleChild};

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

// The colours of a paint. Under a high-contrast theme each is a system colour:
// the samples in the text colour (those not played in the grey text colour),
// the markers and the selection in the highlight colours.
struct Palette {
    bool system;
    ARGB background, border, centre, waveform, unplayed, markerLine, handleFace, handleText, selectedFace, selectedText,
        playLine, focus;
};

Palette paletteNow() {
    if (highContrastOn()) {
        const ARGB window = systemArgb(COLOR_WINDOW), text = systemArgb(COLOR_WINDOWTEXT);
        const ARGB grey = systemArgb(COLOR_GRAYTEXT), highlight = systemArgb(COLOR_HIGHLIGHT);
        return {true, window, text, grey, text, grey, highlight, window, text, highlight,
                systemArgb(COLOR_HIGHLIGHTTEXT), systemArgb(COLOR_HOTLIGHT), text};
    }
    const ARGB face = systemArgb(COLOR_BTNFACE), text = systemArgb(COLOR_BTNTEXT);
    return {false, face, systemArgb(COLOR_BTNSHADOW), text, kWaveformColour, face, text, face, text,
            systemArgb(COLOR_HIGHLIGHT), systemArgb(COLOR_HIGHLIGHTTEXT), kPlayLineColour, text};
}

void drawSeries(GpGraphics* g, const PathPoints& points, ARGB colour) {
    if (points.count < 2) return;
    GpPath* path = nullptr;
    if (GdipCreatePath(FillModeAlternate, &path) != Ok) return;
    GdipAddPathLine2(path, reinterpret_cast<const GpPointF*>(points.points), int(points.count));
    GpPen* pen = nullptr;
    if (GdipCreatePen1(colour, 1, UnitPixel, &pen) == Ok) {
        GdipDrawPath(g, pen, path);
        GdipDeletePen(pen);
    }
    GdipDeletePath(path);
}

// The overlay: partly transparent; under high contrast hatched in the
// highlight colour, which keeps the samples under it in their own colour.
void fillOverlay(GpGraphics* g, const PathPoints& points, const Palette& colours) {
    if (points.count < 2) return;
    GpPath* path = nullptr;
    if (GdipCreatePath(FillModeAlternate, &path) != Ok) return;
    GdipAddPathLine2(path, reinterpret_cast<const GpPointF*>(points.points), int(points.count));
    GdipClosePathFigure(path);
    GpBrush* brush = nullptr;
    GpStatus made;
    if (colours.system)
        made = GdipCreateHatchBrush(HatchStyleWideUpwardDiagonal, systemArgb(COLOR_HIGHLIGHT), 0,
                                    reinterpret_cast<GpHatch**>(&brush));
    else
        made = GdipCreateSolidFill(kOverlayColour, reinterpret_cast<GpSolidFill**>(&brush));
    if (made == Ok) {
        GdipFillPath(g, brush, path);
        GdipDeleteBrush(brush);
    }
    GdipDeletePath(path);
}

// What lies before marker 0 and after marker 1 is not played: the background
// colour, partly transparent, over it; under high contrast the samples there
// are drawn again in the grey text colour. Edges on the columns of the marker
// lines, which cover them.
void dimOutsideStartAndEnd(GpGraphics* g, const WaveformState& s, const PlotArea& area, const Palette& colours) {
    if (s.markerCount < 2 || s.markers[0].position < 0 || s.markers[1].position < 0) return;
    int32_t start = s.markers[0].position, end = s.markers[1].position;
    if (start > end) std::swap(start, end);
    const double left = area.x0, right = double(area.x0) + area.width;
    auto columnOf = [&](int32_t position) {
        double x = std::floor(pixelOfSample(area, s.range, position));
        return x < left ? left : (x > right ? right : x);
    };
    const double startX = columnOf(start), endX = columnOf(end);
    if (colours.system) {
        if (startX > left) {
            GdipSetClipRect(g, area.x0, area.y0, float(startX - left), area.height, CombineModeReplace);
            drawSeries(g, s.waveformPath, colours.unplayed);
        }
        if (endX < right) {
            GdipSetClipRect(g, float(endX), area.y0, float(right - endX), area.height, CombineModeReplace);
            drawSeries(g, s.waveformPath, colours.unplayed);
        }
        GdipSetClipRect(g, area.x0, area.y0, area.width, area.height, CombineModeReplace);
        return;
    }
    GpSolidFill* dim = nullptr;
    if (GdipCreateSolidFill((ARGB(kDimAlpha) << 24) | (colours.background & 0xFFFFFF), &dim) != Ok) return;
    if (startX > left) GdipFillRectangle(g, dim, area.x0, area.y0, float(startX - left), area.height);
    if (endX < right) GdipFillRectangle(g, dim, float(endX), area.y0, float(right - endX), area.height);
    GdipDeleteBrush(dim);
}

// While the view has the focus the selected marker's handle shows in the
// selection's colours.
void paintMarkers(HWND view, WaveformState& s, HDC dc, GpGraphics* g, const PlotArea& area, const Palette& colours,
                  bool focused) {
    GpFont* font = controlFont(dc, s.font);
    GpStringFormat* centred = nullptr;
    GdipCreateStringFormat(StringFormatFlagsNoWrap, LANG_NEUTRAL, &centred);
    measureLabels(s, g, font, centred);
    MarkerPlacement placement[kMaxMarkers];
    placeAll(view, s, placement);
    GdipSetStringFormatAlign(centred, StringAlignmentCenter);
    GdipSetStringFormatLineAlign(centred, StringAlignmentCenter);
    const uint16_t selected = focused ? selectedIndex(s) : kNoMarker;
    for (uint32_t i = 0; i < s.markerCount; ++i) {
        const MarkerPlacement& m = placement[i];
        if (!m.shown) continue;
        const bool chosen = i == selected;
        GpSolidFill* line = nullptr;
        GpSolidFill* face = nullptr;
        GpSolidFill* text = nullptr;
        GpPen* outline = nullptr;
        GdipCreateSolidFill(colours.markerLine, &line);
        GdipCreateSolidFill(chosen ? colours.selectedFace : colours.handleFace, &face);
        GdipCreateSolidFill(chosen ? colours.selectedText : colours.handleText, &text);
        GdipCreatePen1(chosen ? colours.selectedFace : colours.markerLine, 1, UnitPixel, &outline);
        GdipFillRectangle(g, line, m.lineX, area.y0, 2, area.height);
        GdipFillRectangle(g, face, m.handleX, area.y0, m.handleSize, m.handleSize);
        GdipDrawRectangle(g, outline, m.handleX, area.y0, m.handleSize, m.handleSize);
        Gdiplus::RectF box(m.handleX, area.y0, m.handleSize, m.handleSize);
        GdipDrawString(g, reinterpret_cast<const WCHAR*>(&s.markers[i].label), 1, font, &box, centred, text);
        GdipDeletePen(outline);
        GdipDeleteBrush(text);
        GdipDeleteBrush(face);
        GdipDeleteBrush(line);
    }
    GdipDeleteStringFormat(centred);
    if (font) GdipDeleteFont(font);
}

// A dotted frame just inside the border, unless the window has been told to
// hide focus cues (the user works with the mouse).
void paintFocus(HWND view, GpGraphics* g, const PlotArea& area, const Palette& colours) {
    if (SendMessageW(view, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) return;
    GpPen* dotted = nullptr;
    if (GdipCreatePen1(colours.focus, 1, UnitPixel, &dotted) != Ok) return;
    GdipSetPenDashStyle(dotted, DashStyleDot);
    GdipDrawRectangle(g, dotted, area.x0, area.y0, area.width - 1, area.height - 1);
    GdipDeletePen(dotted);
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
        const Palette colours = paletteNow();
        const bool focused = GetFocus() == view;
        GdipGraphicsClear(g, colours.background);
        GpPen* border = nullptr;
        GdipCreatePen1(colours.border, 1, UnitPixel, &border);
        GdipDrawRectangleI(g, border, 0, 0, client.right - 1, client.bottom - 1);
        GdipDeletePen(border);
        GdipSetClipRect(g, area.x0, area.y0, area.width, area.height, CombineModeReplace);

        GpPen* centrePen = nullptr;
        GdipCreatePen1(colours.centre, 1, UnitPixel, &centrePen);
        // The height made odd, as for the plot area, puts the centre line on a pixel row.
        int32_t oddHeight = client.bottom % 2 == 0 ? client.bottom - 1 : client.bottom;
        float centreY = float(oddHeight - 1) * 0.5f;
        GdipDrawLine(g, centrePen, area.x0, centreY, float(client.right - 2), centreY);
        GdipDeletePen(centrePen);

        if (s.primaryCount > 0) {
            // Under high contrast every pixel of the line is the text colour itself.
            GdipSetSmoothingMode(g, colours.system ? SmoothingModeNone : SmoothingModeAntiAlias);
            drawSeries(g, s.waveformPath, colours.waveform);
            if (s.overlayCount > 0 && s.overlayVisible) fillOverlay(g, s.overlayPath, colours);
            GdipSetSmoothingMode(g, SmoothingModeNone);
            dimOutsideStartAndEnd(g, s, area, colours);
        }
        if (focused) paintFocus(view, g, area, colours);
        if (s.primaryCount > 0) {
            paintMarkers(view, s, dc, g, area, colours, focused);
            if (s.playPosition >= 0 && s.playPosition >= s.range.first &&
                s.playPosition <= s.range.first + s.range.span) {
                GpSolidFill* play = nullptr;
                GdipCreateSolidFill(colours.playLine, &play);
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
    const bool wasChild = isChild(s, index);
    m.position = position;
    redraw(view);
    if (wasChild && isChild(s, index)) raiseEvent(view, EVENT_OBJECT_VALUECHANGE, childOfMarker(s, index));
    noteChildren(view, s);
}

// The parent may destroy the view from inside the notification, and the state
// with it: every caller sends it last and touches nothing of the state after.
void notifyParent(HWND view, const WaveformState& s, uint16_t marker, bool dragging, bool byKey = false) {
    MarkerNotification notification = {uint32_t(s.markers[marker].position), marker, uint8_t(dragging ? 1 : 0),
                                       uint8_t(byKey ? 1 : 0)};
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

// A marker pressed becomes the selected one. Not in the middle of a key run.
void onLeftButtonDown(HWND view, WaveformState& s, float x, float y) {
    SetFocus(view);
    if (s.panning || s.dragMarker != kNoMarker || s.keyMarker != kNoMarker) return;
    int32_t hit = markerAt(view, s, x, y);
    if (hit < 0) return;
    selectMarker(view, s, uint16_t(hit));
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

// ---- the keyboard --------------------------------------------------------------
// Left and Right move the selected marker (Ctrl, Shift: by larger steps),
// Home and End to the first and last position its limits allow; a marker's
// label typed selects it; + and - zoom around the selected marker. A run of
// moves while the keys are held is told to the parent as a drag is: each
// move with dragging = 1, then once with dragging = 0 when a moving key is
// let go or the focus goes. Nothing moves by key during a mouse drag, nor
// by the mouse during a key run.

bool isMovingKey(WPARAM key) { return key == VK_LEFT || key == VK_RIGHT || key == VK_HOME || key == VK_END; }

// Zoomed in, a marker moved or chosen out of sight brings the view to it.
void showMarker(HWND view, WaveformState& s, uint16_t index) {
    bool shown = false;
    markerBounds(view, s, index, shown);
    if (!shown) setRange(view, s, {s.markers[index].position - s.range.span * 0.5, s.range.span});
}

void moveByKey(HWND view, WaveformState& s, MarkerKey key, uint32_t presses) {
    const uint16_t index = s.keyMarker != kNoMarker ? s.keyMarker : selectedIndex(s);
    if (index == kNoMarker || !isChild(s, index)) {
        s.keyMarker = kNoMarker;  // its marker has gone: nothing left to tell
        return;
    }
    s.keyMarker = index;
    const WaveformMarker& m = s.markers[index];
    const int32_t step = markerKeyStep(GetKeyState(VK_CONTROL) < 0, GetKeyState(VK_SHIFT) < 0);
    setMarkerPosition(view, s, index,
                      keyedMarkerPosition(m.position, key, step, presses, s.primaryCount, m.minimum, m.maximum));
    showMarker(view, s, index);
    notifyParent(view, s, index, true, true);
}

void endKeyRun(HWND view, WaveformState& s) {
    if (s.keyMarker == kNoMarker) return;
    const uint16_t marker = s.keyMarker;
    s.keyMarker = kNoMarker;
    notifyParent(view, s, marker, false, true);
}

void onKeyDown(HWND view, WaveformState& s, WPARAM key, LPARAM flags) {
    if (s.dragMarker != kNoMarker || s.panning) return;
    const uint32_t presses = LOWORD(flags) ? LOWORD(flags) : 1;  // key-downs the system folded into one
    const uint16_t selected = selectedIndex(s);
    switch (key) {
    case VK_LEFT: moveByKey(view, s, MarkerKey::Back, presses); break;
    case VK_RIGHT: moveByKey(view, s, MarkerKey::On, presses); break;
    case VK_HOME: moveByKey(view, s, MarkerKey::First, presses); break;
    case VK_END: moveByKey(view, s, MarkerKey::Last, presses); break;
    case VK_ADD: case VK_OEM_PLUS: case VK_SUBTRACT: case VK_OEM_MINUS:
        if (s.primaryCount == 0) break;
        zoomAroundSample(view, s, (key == VK_ADD || key == VK_OEM_PLUS) ? double(presses) : -double(presses),
                         selected == kNoMarker ? -1 : s.markers[selected].position);
        break;
    default: break;
    }
}

void onChar(HWND view, WaveformState& s, wchar_t typed) {
    if (s.dragMarker != kNoMarker || s.panning || s.keyMarker != kNoMarker) return;
    auto upper = [](wchar_t c) { return wchar_t(reinterpret_cast<UINT_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(c)))); };
    for (uint32_t i = 0; i < s.markerCount; ++i) {
        if (!isChild(s, i) || upper(wchar_t(s.markers[i].label)) != upper(typed)) continue;
        selectMarker(view, s, uint16_t(i));
        showMarker(view, s, uint16_t(i));
        return;
    }
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
    s->keyMarker = kNoMarker;
    s->accessible = createAccessibleObject(view, kAccessibleSource);  // none: the default object stands in
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
        s.keyMarker = kNoMarker;
    }
    // The same length is the same sound with new values (a knob step): the zoom stays.
    if (s.primaryCount != before) {
        s.range = wholeRange(s.primaryCount);
        updateScrollBar(view, s);
    }
    s.needsLayout = true;
    redraw(view);
    noteChildren(view, s);
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
        releaseAccessibleObject(s->accessible);
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
    case WM_SETFOCUS:
        redraw(view);
        // The system has announced the view itself; the chosen marker, if any, follows.
        if (selectedIndex(*s) != kNoMarker) announceFocus(view, *s);
        return 0;
    case WM_KILLFOCUS:
        redraw(view);
        endKeyRun(view, *s);  // last: the parent may destroy the view
        return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN: onKeyDown(view, *s, wParam, lParam); return 0;
    case WM_KEYUP:
        if (isMovingKey(wParam)) endKeyRun(view, *s);
        return 0;
    case WM_CHAR: onChar(view, *s, wchar_t(wParam)); return 0;
    case WM_GETOBJECT: return answerGetObject(s->accessible, view, wParam, lParam);
    case WM_UPDATEUISTATE:
        DefWindowProcW(view, message, wParam, lParam);
        redraw(view);
        return 0;
    case WM_SYSCOLORCHANGE: case WM_SETTINGCHANGE: case WM_THEMECHANGED: redraw(view); return 0;
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
        // A key run on the marker stops without a word, as a drag does.
        if (s->keyMarker == index) s->keyMarker = kNoMarker;
        if (s->keyMarker != kNoMarker && s->keyMarker > index) --s->keyMarker;
        if (s->selectedMarker > index) --s->selectedMarker;
        for (uint32_t i = index; i + 1 < s->markerCount; ++i) s->markers[i] = s->markers[i + 1];
        --s->markerCount;
        redraw(view);
        noteChildren(view, *s);
        return 0;
    case WV_CLEARMARKERS:
        dropDrag(view, *s);
        s->keyMarker = kNoMarker;
        s->selectedMarker = 0;
        s->markerCount = 0;
        redraw(view);
        noteChildren(view, *s);
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
    case WV_ENDKEYRUN: endKeyRun(view, *s); return 0;  // last: the parent may destroy the view
    default:
        return DefWindowProcW(view, message, wParam, lParam);
    }
}

}  // namespace

bool registerWaveformViewClass(HINSTANCE instance) {
    return registerControlClass(instance, kWaveformViewClass, waveformViewProcedure, CS_DBLCLKS);
}
