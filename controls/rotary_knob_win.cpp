#include "controls/rotary_knob_win.h"

#include <commctrl.h>

#include <cmath>
#include <cstdlib>

#include "controls/accessible_object_win.h"
#include "controls/control_class_win.h"
#include "controls/gdiplus_win.h"
#include "controls/high_contrast_win.h"
#include "controls/window_dpi_win.h"
#include "controls/knob_geometry.h"
#include "core/text_win.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

constexpr uint32_t kTextCapacity = 32;
// Posted to the knob to destroy a closed value entry, in wParam, outside its own messages.
constexpr UINT kCloseValueEntry = WM_USER + 100;

struct KnobState {
    HFONT font;
    HCURSOR savedCursor;
    HWND valueEntry;
    HWND tooltip;
    AccessibleObject* accessible;
    uint32_t dpiX, dpiY;
    WideBuffer<kTextCapacity> unitText;
    WideBuffer<kTextCapacity> tipText;
    KnobLayout layout;
    float dragLastX, dragLastY;
    double dragBaseValue;
    KnobValue value;
    double stepMultiplier;
    char16_t decimalSeparator;
    bool showDecimals;
    bool highlightRing;
    bool dragging;
};

KnobState* stateOf(HWND knob) { return reinterpret_cast<KnobState*>(GetWindowLongPtrW(knob, 0)); }

void redraw(HWND knob) { InvalidateRect(knob, nullptr, FALSE); }

// The parent may destroy the knob from inside a notification, and the state
// with it: a caller that goes on after one checks first that the knob still
// holds the state it had.
LONG_PTR heldState(HWND knob) { return GetWindowLongPtrW(knob, 0); }

// False when the knob is gone after the notification.
bool notifyParent(HWND knob, double value, bool dragging) {
    LONG_PTR state = heldState(knob);
    KnobNotification notification = {value, uint8_t(dragging ? 1 : 0)};
    SendMessageW(GetParent(knob), KN_VALUECHANGED, reinterpret_cast<WPARAM>(&notification),
                 reinterpret_cast<LPARAM>(knob));
    return heldState(knob) == state;
}

// The value as shown, or its text or unit changed: redrawn, and told to screen readers.
void valueShownChanged(HWND knob) {
    redraw(knob);
    NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, knob, OBJID_CLIENT, CHILDID_SELF);
}

// False when the knob is gone (the parent destroyed it when told).
bool setValue(HWND knob, KnobState& s, double v, bool notify) {
    if (!setKnobValue(s.value, v)) return true;
    valueShownChanged(knob);
    return !notify || notifyParent(knob, s.value.value, s.dragging);
}

// Page Up and Page Down move a tenth of the range, in whole steps.
double pageStep(const KnobValue& value) {
    double step = std::floor((value.maximum - value.minimum) / 10 + 0.5);
    return step < 1 ? 1 : step;
}

template <uint32_t C>
void appendValueText(WideBuffer<C>& text, const KnobState& s) {
    appendFixedPoint(text, s.value.value, s.showDecimals ? 2 : 0, s.decimalSeparator);
}

void updateKnobTooltip(HWND knob, KnobState& s) {
    if (!s.tooltip) {
        if (s.tipText.length == 0) return;
        s.tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, knob, nullptr,
                                    nullptr, nullptr);
        if (!s.tooltip) return;
    }
    LRESULT tools = SendMessageW(s.tooltip, TTM_GETTOOLCOUNT, 0, 0);
    TOOLINFOW tool = {};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = knob;
    tool.uId = 0;
    if (s.tipText.length != 0) {
        if (tools > 0) SendMessageW(s.tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool));
        const FloatRect& r = s.layout.knob;
        tool.rect = {LONG(r.x), LONG(r.y), LONG(r.x) + LONG(r.width), LONG(r.y) + LONG(r.height)};
        tool.lpszText = wideChars(s.tipText);
        SendMessageW(s.tooltip, tools < 1 ? TTM_ADDTOOLW : TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool));
    } else if (tools > 0) {
        SendMessageW(s.tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void layout(HWND knob, KnobState& s) {
    RECT client;
    GetClientRect(knob, &client);
    s.layout = layoutKnob(client.right, client.bottom, s.dpiY);
    updateKnobTooltip(knob, s);
}

// ---- the value entry --------------------------------------------------------

LRESULT CALLBACK valueEntryProc(HWND entry, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR);

// Closes the entry, applying its text or not. It is usually inside one of its
// own messages here, so it is only hidden now (which hands the focus back to
// the knob) and destroyed when the knob gets kCloseValueEntry. False when the
// knob is gone after telling the parent.
bool commitValueEntry(HWND knob, KnobState& s, bool apply) {
    HWND entry = s.valueEntry;
    if (!entry) return true;
    s.valueEntry = nullptr;  // forgotten first: the focus loss that closing causes applies nothing
    wchar_t text[16] = {};
    int length = apply ? GetWindowTextW(entry, text, 16) : 0;
    RemoveWindowSubclass(entry, valueEntryProc, 0);
    ShowWindow(entry, SW_HIDE);
    PostMessageW(knob, kCloseValueEntry, reinterpret_cast<WPARAM>(entry), 0);
    redraw(knob);
    // The parent hears of the value last, with the entry already closed.
    if (!apply) return true;
    return setValue(knob, s,
                    parseTypedValue(Utf16View{reinterpret_cast<char16_t*>(text), uint32_t(length)},
                                    s.decimalSeparator),
                    true);
}

LRESULT CALLBACK valueEntryProc(HWND entry, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    HWND knob = GetParent(entry);
    KnobState* s = stateOf(knob);
    switch (message) {
    case WM_CHAR: {
        if (!s) break;
        if (wParam == 27) {
            commitValueEntry(knob, *s, false);
            return 0;
        }
        if (wParam == 13) {
            commitValueEntry(knob, *s, true);
            return 0;
        }
        wchar_t c = static_cast<wchar_t>(wParam);
        WORD type = 0;
        GetStringTypeW(CT_CTYPE1, &c, 1, &type);
        if ((type & (C1_DIGIT | C1_CNTRL)) || c == L'-' || c == 0x2212 || c == wchar_t(s->decimalSeparator)) break;
        MessageBeep(MB_OK);
        return 0;
    }
    case WM_GETDLGCODE: {
        const MSG* pending = reinterpret_cast<const MSG*>(lParam);
        if (pending && pending->message == WM_KEYDOWN && (pending->wParam == VK_ESCAPE || pending->wParam == VK_RETURN))
            return DLGC_WANTALLKEYS;
        break;
    }
    case WM_KILLFOCUS:
        // Gone with the knob when the parent destroyed it on the new value.
        if (s && !commitValueEntry(knob, *s, true)) return 0;
        break;
    }
    return DefSubclassProc(entry, message, wParam, lParam);
}

void openValueEntry(HWND knob, KnobState& s) {
    WideBuffer<128> text = {};
    appendValueText(text, s);
    terminateText(text);
    const FloatRect& r = s.layout.value;
    s.valueEntry = CreateWindowExW(0, L"Edit", wideChars(text), WS_CHILD | WS_VISIBLE | WS_BORDER | ES_CENTER,
                                   int(r.x), int(r.y), int(r.width), int(r.height), knob, nullptr, nullptr, nullptr);
    if (!s.valueEntry) return;
    SendMessageW(s.valueEntry, WM_SETFONT, reinterpret_cast<WPARAM>(s.font), TRUE);
    SetWindowSubclass(s.valueEntry, valueEntryProc, 0, 0);
    SetFocus(s.valueEntry);
    SendMessageW(s.valueEntry, EM_SETSEL, 0, -1);
    redraw(knob);
}

// ---- input ----------------------------------------------------------------

void onButtonDown(HWND knob, KnobState& s, float x, float y) {
    LONG_PTR state = heldState(knob);
    SetFocus(knob);  // commits an open value entry, whose notification may cost the knob its life
    if (heldState(knob) != state) return;
    if (containsPoint(s.layout.knob, x, y) && !s.dragging) {
        s.dragBaseValue = s.value.value;
        s.dragLastX = x;
        s.dragLastY = y;
        s.dragging = true;
        s.savedCursor = SetCursor(LoadCursorW(nullptr, IDC_HAND));
        SetCapture(knob);
    }
    if (containsPoint(s.layout.value, x, y)) {
        if (!s.valueEntry) openValueEntry(knob, s);
    } else {
        commitValueEntry(knob, s, true);
    }
}

void onMouseMove(HWND knob, KnobState& s, float x, float y, WPARAM keys) {
    if (!s.dragging) return;
    double step = double(s.dragLastY - y);
    if (keys & MK_CONTROL) step *= s.stepMultiplier;
    if (!setValue(knob, s, s.dragBaseValue + step, true)) return;
    s.dragLastX = x;
    s.dragLastY = y;
    s.dragBaseValue = s.value.value;
}

// At the release of the button, or when the capture goes elsewhere (Alt+Tab,
// another window taking the mouse): whichever comes first ends the drag.
void endDrag(HWND knob, KnobState& s) {
    if (!s.dragging) return;
    s.dragging = false;  // before ReleaseCapture, whose WM_CAPTURECHANGED comes back here
    if (GetCapture() == knob) ReleaseCapture();
    if (s.savedCursor) {
        SetCursor(s.savedCursor);
        s.savedCursor = nullptr;
    }
    notifyParent(knob, s.value.value, false);
}

// ---- painting -------------------------------------------------------------

void paint(HWND knob, KnobState& s) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(knob, &ps);
    RECT client;
    GetClientRect(knob, &client);
    OffscreenCanvas canvas;
    if (canvas.open(client.right, client.bottom)) {
        GpGraphics* g = canvas.graphics;
        GdipSetPageUnit(g, UnitPixel);
        GdipSetPixelOffsetMode(g, PixelOffsetModeHalf);
        GdipSetSmoothingMode(g, SmoothingModeAntiAlias);
        GdipGraphicsClear(g, systemArgb(COLOR_BTNFACE));
        // In high contrast every colour is the system's: the dial a window, its pointer and rim window text.
        bool contrast = highContrastOn();
        ARGB textColour = systemArgb(IsWindowEnabled(knob) ? COLOR_BTNTEXT : contrast ? COLOR_GRAYTEXT : COLOR_BTNSHADOW);

        GpStringFormat* format = nullptr;
        GdipCreateStringFormat(StringFormatFlagsNoWrap, LANG_NEUTRAL, &format);
        GdipSetStringFormatAlign(format, StringAlignmentCenter);
        GpFont* font = controlFont(dc, s.font);

        layout(knob, s);
        const FloatRect& k = s.layout.knob;
        GpSolidFill* textBrush = nullptr;
        GdipCreateSolidFill(textColour, &textBrush);
        if (k.width > 1.1920929e-07f && k.height > 1.1920929e-07f) {
            GpSolidFill* pointerBrush = nullptr;
            if (contrast) {
                GpSolidFill* dialBrush = nullptr;
                GdipCreateSolidFill(systemArgb(COLOR_WINDOW), &dialBrush);
                GdipFillEllipse(g, dialBrush, k.x, k.y, k.width, k.height);
                GdipDeleteBrush(dialBrush);
                ARGB pointerColour = systemArgb(IsWindowEnabled(knob) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
                GpPen* rim = nullptr;
                GdipCreatePen1(pointerColour, float(s.dpiY) / 96, UnitPixel, &rim);
                GdipSetPenMode(rim, PenAlignmentInset);
                GdipDrawEllipse(g, rim, k.x, k.y, k.width, k.height);
                GdipDeletePen(rim);
                GdipCreateSolidFill(pointerColour, &pointerBrush);
            } else {
                Gdiplus::RectF dial(k.x, k.y, k.width, k.height);
                GpLineGradient* gradient = nullptr;
                GdipCreateLineBrushFromRectWithAngle(&dial, 0xFFFFFFFF, 0xFF9F9F9F, 45, FALSE, WrapModeTile, &gradient);
                GdipFillEllipse(g, gradient, k.x, k.y, k.width, k.height);
                GdipDeleteBrush(gradient);
            }
            FloatRect dot = knobPointerDot(k, knobPointerAngle(s.value.value, s.value.minimum, s.value.maximum));
            GdipFillEllipse(g, pointerBrush ? pointerBrush : textBrush, dot.x, dot.y, dot.width, dot.height);
            if (pointerBrush) GdipDeleteBrush(pointerBrush);
            if (s.highlightRing) {
                GpPen* ring = nullptr;
                GdipCreatePen1(contrast ? systemArgb(COLOR_HIGHLIGHT) : 0xFFFF6347, float(s.dpiY) * 2.5f / 96, UnitPixel, &ring);
                GdipSetPenMode(ring, PenAlignmentInset);
                GdipDrawEllipse(g, ring, k.x, k.y, k.width, k.height);
                GdipDeletePen(ring);
            }
            if (GetFocus() == knob && contrast) {
                // The rim has the focus ring's colour here, and would swallow it: a frame round the whole knob.
                GpPen* focus = nullptr;
                if (GdipCreatePen1(systemArgb(COLOR_BTNTEXT), 1, UnitPixel, &focus) == Ok) {
                    GdipSetPenDashStyle(focus, DashStyleDot);
                    GdipSetSmoothingMode(g, SmoothingModeNone);
                    GdipDrawRectangle(g, focus, 0, 0, float(client.right - 1), float(client.bottom - 1));
                    GdipSetSmoothingMode(g, SmoothingModeAntiAlias);
                    GdipDeletePen(focus);
                }
            } else if (GetFocus() == knob) {
                GpPen* focus = nullptr;
                GdipCreatePen1(lightenColor(systemArgb(COLOR_BTNTEXT), 64), 1, UnitPixel, &focus);
                GdipSetPenDashStyle(focus, DashStyleDash);
                GdipDrawEllipse(g, focus, k.x - 0.5f, k.y - 0.5f, k.width + 1, k.height + 1);
                GdipDeletePen(focus);
            }
        }
        if (!s.valueEntry) {
            WideBuffer<128> text = {};
            appendValueText(text, s);
            appendText(text, viewOf(s.unitText));
            Gdiplus::RectF box(s.layout.value.x, s.layout.value.y, s.layout.value.width, s.layout.value.height);
            GdipDrawString(g, wideChars(text), int(text.length), font, &box, format, textBrush);
        }
        wchar_t label[1024];
        int labelLength = GetWindowTextW(knob, label, 1024);
        Gdiplus::RectF labelBox(s.layout.label.x, s.layout.label.y, s.layout.label.width, s.layout.label.height);
        GdipDrawString(g, label, labelLength, font, &labelBox, format, textBrush);

        GdipDeleteBrush(textBrush);
        if (font) GdipDeleteFont(font);
        if (format) GdipDeleteStringFormat(format);
        canvas.copyTo(dc);
    }
    EndPaint(knob, &ps);
}

// ---- screen readers ----------------------------------------------------------

// A slider named by the label, its value the text shown with its unit.
bool describeKnob(HWND knob, LONG child, AccessibleDescription& d) {
    KnobState* s = stateOf(knob);
    if (!s || child != CHILDID_SELF) return false;
    wchar_t label[64];
    int length = GetWindowTextW(knob, label, 64);
    assignText(d.name, Utf16View{reinterpret_cast<const char16_t*>(label), uint32_t(length > 0 ? length : 0)});
    appendValueText(d.value, *s);
    appendText(d.value, viewOf(s->unitText));
    assignText(d.defaultAction, viewOf(u"Type a value"));
    d.role = ROLE_SYSTEM_SLIDER;
    GetWindowRect(knob, &d.bounds);
    return true;
}

LONG knobChildCount(HWND) { return 0; }
LONG knobItself(HWND) { return CHILDID_SELF; }
LONG knobItselfAt(HWND, POINT) { return CHILDID_SELF; }

// A value typed by a screen reader, as if typed into the value entry.
HRESULT typeKnobValue(HWND knob, LONG, Utf16View text) {
    KnobState* s = stateOf(knob);
    if (!s) return RPC_E_DISCONNECTED;
    bool hasDigit = false;
    for (uint32_t i = 0; i < text.length; ++i) hasDigit |= text.units[i] >= u'0' && text.units[i] <= u'9';
    if (!hasDigit) return E_INVALIDARG;
    setValue(knob, *s, parseTypedValue(text, s->decimalSeparator), true);
    return S_OK;
}

HRESULT openKnobValueEntry(HWND knob, LONG) {
    KnobState* s = stateOf(knob);
    if (!s) return RPC_E_DISCONNECTED;
    LONG_PTR state = heldState(knob);
    SetFocus(knob);
    if (heldState(knob) == state && !s->valueEntry) openValueEntry(knob, *s);
    return S_OK;
}

const AccessibleSource kKnobAccessibleSource = {
    knobChildCount, describeKnob, knobItselfAt, knobItself, typeKnobValue, openKnobValueEntry, nullptr,
};

// ---- the window procedure ---------------------------------------------------

LRESULT onCreate(HWND knob) {
    auto* s = static_cast<KnobState*>(calloc(1, sizeof(KnobState)));
    if (!s) return -1;  // no state, no knob
    s->font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    s->dpiX = s->dpiY = 96;
    s->value = {0.0, 270.0, 0.0};
    s->stepMultiplier = 5.0;
    s->showDecimals = true;
    s->decimalSeparator = u'.';
    wchar_t separator[4] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 4) >= 2) s->decimalSeparator = separator[0];
    SetWindowLongPtrW(knob, 0, reinterpret_cast<LONG_PTR>(s));
    s->accessible = createAccessibleObject(knob, kKnobAccessibleSource);  // none without memory: readers get the default
    WindowDpi dpi = queryWindowDpi(knob);
    s->dpiX = uint32_t(dpi.x);
    s->dpiY = uint32_t(dpi.y);
    return 0;
}

void assignFromView(WideBuffer<kTextCapacity>& text, WPARAM wParam) {
    const Utf16View* view = reinterpret_cast<const Utf16View*>(wParam);
    if (view) assignText(text, *view); else clearText(text);
}

LRESULT CALLBACK rotaryKnobProcedure(HWND knob, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CREATE) return onCreate(knob);
    KnobState* s = stateOf(knob);
    if (!s) return controlWithoutState(knob, message, wParam, lParam);
    switch (message) {
    case WM_DESTROY:
        // An open entry goes with the knob, without its subclass.
        if (s->valueEntry) RemoveWindowSubclass(s->valueEntry, valueEntryProc, 0);
        // The tooltip is owned by the top-level window, which would keep it.
        if (s->tooltip) DestroyWindow(s->tooltip);
        releaseAccessibleObject(s->accessible);
        SetWindowLongPtrW(knob, 0, 0);
        free(s);
        return 0;
    case kCloseValueEntry: {
        HWND entry = reinterpret_cast<HWND>(wParam);
        if (entry != s->valueEntry && IsWindow(entry) && GetParent(entry) == knob) DestroyWindow(entry);
        return 0;
    }
    // The system itself tells screen readers of the focus (EVENT_OBJECT_FOCUS).
    case WM_SIZE: case WM_SETFOCUS: case WM_KILLFOCUS: case WM_ENABLE: case WM_SYSCOLORCHANGE: case WM_SETTINGCHANGE:
        redraw(knob);
        return 0;
    case WM_SETTEXT: {
        LRESULT set = DefWindowProcW(knob, message, wParam, lParam);
        redraw(knob);
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, knob, OBJID_CLIENT, CHILDID_SELF);
        return set;
    }
    case WM_PAINT:
        paint(knob, *s);
        return 0;
    case WM_SETFONT:
        s->font = reinterpret_cast<HFONT>(wParam);
        if (s->valueEntry) SendMessageW(s->valueEntry, WM_SETFONT, wParam, LOWORD(lParam));
        if (lParam) redraw(knob);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s->font);
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_KEYDOWN: {
        double repeat = double(LOWORD(lParam));
        const KnobValue& v = s->value;
        if (wParam == VK_LEFT || wParam == VK_DOWN) setValue(knob, *s, v.value - repeat, true);
        if (wParam == VK_UP || wParam == VK_RIGHT) setValue(knob, *s, v.value + repeat, true);
        if (wParam == VK_NEXT) setValue(knob, *s, v.value - repeat * pageStep(v), true);
        if (wParam == VK_PRIOR) setValue(knob, *s, v.value + repeat * pageStep(v), true);
        if (wParam == VK_HOME) setValue(knob, *s, v.minimum, true);
        if (wParam == VK_END) setValue(knob, *s, v.maximum, true);
        return 0;
    }
    case WM_GETOBJECT:
        return answerGetObject(s->accessible, knob, wParam, lParam);
    case WM_LBUTTONDOWN:
        onButtonDown(knob, *s, float(short(LOWORD(lParam))), float(short(HIWORD(lParam))));
        return 0;
    case WM_MOUSEMOVE:
        onMouseMove(knob, *s, float(short(LOWORD(lParam))), float(short(HIWORD(lParam))), wParam);
        return 0;
    case WM_LBUTTONUP: case WM_CAPTURECHANGED:
        endDrag(knob, *s);
        return 0;
    case WM_SETCURSOR:
        // Over the value entry or the frame the default handling decides.
        if (reinterpret_cast<HWND>(wParam) != knob || LOWORD(lParam) != HTCLIENT)
            return DefWindowProcW(knob, message, wParam, lParam);
        SetCursor(LoadCursorW(nullptr, s->dragging ? IDC_HAND : IDC_ARROW));
        return TRUE;
    case WM_MOUSEWHEEL: {
        double step = double(short(HIWORD(wParam))) / 120.0;
        if (LOWORD(wParam) & MK_CONTROL) step *= s->stepMultiplier;
        setValue(knob, *s, s->value.value + step, true);
        return 0;
    }
    case WM_DPICHANGED:
        s->dpiX = LOWORD(wParam);
        s->dpiY = HIWORD(wParam);
        redraw(knob);
        return 0;
    case KM_GETVALUE:
        if (wParam) *reinterpret_cast<double*>(wParam) = s->value.value;
        return 0;
    case KM_SETVALUE:
        if (wParam) setValue(knob, *s, *reinterpret_cast<const double*>(wParam), false);
        return 0;
    case KM_SETUNIT:
        assignFromView(s->unitText, wParam);
        valueShownChanged(knob);
        return 0;
    case KM_SETMIN:
        if (!wParam) return 0;
        s->value.minimum = *reinterpret_cast<const double*>(wParam);
        if (s->value.value < s->value.minimum) {
            s->value.value = s->value.minimum;
            valueShownChanged(knob);
        }
        return 0;
    case KM_SETMAX:
        if (!wParam) return 0;
        s->value.maximum = *reinterpret_cast<const double*>(wParam);
        if (s->value.value > s->value.maximum) {
            s->value.value = s->value.maximum;
            valueShownChanged(knob);
        }
        return 0;
    case KM_SETRING:
        if (s->highlightRing != (wParam != 0)) {
            s->highlightRing = wParam != 0;
            redraw(knob);
        }
        return 0;
    case KM_SETDECIMALS:
        if (s->showDecimals != (wParam != 0)) {
            s->showDecimals = wParam != 0;
            valueShownChanged(knob);
        }
        return 0;
    case KM_SETTIP:
        assignFromView(s->tipText, wParam);
        terminateTextCutting(s->tipText);
        updateKnobTooltip(knob, *s);
        return 0;
    default:
        return DefWindowProcW(knob, message, wParam, lParam);
    }
}

}  // namespace

bool registerRotaryKnobClass(HINSTANCE instance) {
    return registerControlClass(instance, kRotaryKnobClass, rotaryKnobProcedure);
}
