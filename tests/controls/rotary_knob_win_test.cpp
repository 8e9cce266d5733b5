#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <utility>

#include "accessible_reading_win.h"
#include "control_test_window.h"
#include "controls/gdiplus_win.h"
#include "controls/high_contrast_win.h"
#include "core/text.h"

namespace {

LPARAM point(int x, int y) { return MAKELPARAM(x, y); }

void press(HWND knob, int y) { SendMessageW(knob, WM_LBUTTONDOWN, MK_LBUTTON, point(25, y)); }
void type(HWND edit, const wchar_t* text) {
    for (const wchar_t* c = text; *c; ++c) SendMessageW(edit, WM_CHAR, *c, 1);
}

struct Knob : ::testing::Test {
    ControlTestWindow window{kRotaryKnobClass, L"Decay", 50, 90};
    HWND knob = window.control();
    void SetUp() override {
        set(KM_SETMIN, 1);
        set(KM_SETMAX, 255);
        set(KM_SETVALUE, 100);
        SendMessageW(knob, KM_SETDECIMALS, 0, 0);
        window.knobNotifications.clear();
    }
    void set(UINT message, double v) { SendMessageW(knob, message, WPARAM(&v), 0); }
    double value() {
        double v = 0;
        SendMessageW(knob, KM_GETVALUE, WPARAM(&v), 0);
        return v;
    }
    HWND valueEntry() { return FindWindowExW(knob, nullptr, L"Edit", nullptr); }
    // A press on the value text opens the entry, its text selected.
    HWND openEntry() {
        press(knob, 55);
        HWND edit = valueEntry();
        SendMessageW(edit, EM_SETSEL, 0, -1);
        return edit;
    }
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW), hand = LoadCursorW(nullptr, IDC_HAND);
};

}  // namespace

TEST_F(Knob, DraggingNotifiesEveryChangeAndOnceMoreAtItsEnd) {
    EXPECT_EQ(window.cursorAt(25, 30), arrow);
    SendMessageW(knob, WM_LBUTTONDOWN, MK_LBUTTON, point(25, 30));
    EXPECT_EQ(GetCursor(), hand);
    SendMessageW(knob, WM_MOUSEMOVE, MK_LBUTTON, point(25, 27));  // 3 up: 103
    EXPECT_EQ(value(), 103);
    SendMessageW(knob, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, point(25, 17));  // 10 up with Ctrl: +50
    EXPECT_EQ(value(), 153);
    SendMessageW(knob, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, point(25, -7));  // far beyond: clamped
    EXPECT_EQ(value(), 255);
    SendMessageW(knob, WM_MOUSEMOVE, MK_LBUTTON, point(26, -20));  // no change: no notification
    SendMessageW(knob, WM_MOUSEMOVE, MK_LBUTTON, point(26, -15));  // 5 down from the limit: changes at once
    EXPECT_EQ(value(), 250);
    SendMessageW(knob, WM_LBUTTONUP, 0, point(26, -15));
    EXPECT_EQ(GetCursor(), arrow);
    // A drag ends just as well when the capture goes (Alt+Tab, another window taking the mouse).
    SendMessageW(knob, WM_LBUTTONDOWN, MK_LBUTTON, point(25, 30));
    SendMessageW(knob, WM_MOUSEMOVE, MK_LBUTTON, point(25, 33));
    SetCapture(GetParent(knob));
    EXPECT_EQ(GetCursor(), arrow);
    ReleaseCapture();
    SendMessageW(knob, WM_MOUSEMOVE, MK_LBUTTON, point(25, 20));  // no longer a drag
    SendMessageW(knob, WM_LBUTTONUP, 0, point(25, 20));
    EXPECT_EQ(value(), 247);
    // The release's own capture change adds no notification.
    std::vector<std::pair<double, int>> notified;
    for (const KnobNotification& n : window.knobNotifications) notified.emplace_back(n.value, n.dragging);
    EXPECT_EQ(notified, (std::vector<std::pair<double, int>>{{103, 1}, {153, 1}, {255, 1}, {250, 1}, {250, 0},
                                                              {247, 1}, {247, 0}}));
}

TEST_F(Knob, WheelStepsAndSettingDoesNotNotify) {
    SendMessageW(knob, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-240)), point(25, 25));
    EXPECT_EQ(value(), 98);
    SendMessageW(knob, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, 120), point(25, 25));
    EXPECT_EQ(value(), 103);
    EXPECT_EQ(SendMessageW(knob, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
    set(KM_SETVALUE, 110);  // a change the parent made itself
    set(KM_SETMIN, 120);
    EXPECT_EQ(value(), 120);
    EXPECT_EQ(window.knobNotifications.size(), 2u);
}

TEST_F(Knob, PageKeysStepATenthOfTheRangeInWholeStepsAndHomeAndEndGoToItsEnds) {
    for (WPARAM key : {VK_PRIOR, VK_NEXT, VK_NEXT, VK_HOME, VK_HOME, VK_END, VK_PRIOR})
        SendMessageW(knob, WM_KEYDOWN, key, 1);
    std::vector<double> notified;
    for (const KnobNotification& n : window.knobNotifications) notified.push_back(n.value);
    // 1 .. 255: a tenth is 25.4, so 25; no notification where nothing changes.
    EXPECT_EQ(notified, (std::vector<double>{125, 100, 75, 1, 255}));
    set(KM_SETMIN, 0);
    set(KM_SETMAX, 10);
    SendMessageW(knob, WM_KEYDOWN, VK_NEXT, 3);  // three repeats of a step of 1
    EXPECT_EQ(value(), 7);
}

TEST_F(Knob, ScreenReadersReadTheLabelAndTheValueWithItsUnitAndMayTypeOne) {
    AccessibleReader reader(knob);
    ASSERT_NE(reader.object, nullptr);
    Utf16View unit = viewOf(u"dB");
    SendMessageW(knob, KM_SETUNIT, WPARAM(&unit), 0);
    EXPECT_EQ(reader.name(), u"Decay");
    EXPECT_EQ(reader.value(), u"100dB");
    EXPECT_EQ(reader.role(), ROLE_SYSTEM_SLIDER);
    SetFocus(GetParent(knob));
    EXPECT_EQ(reader.state(), STATE_SYSTEM_FOCUSABLE);
    {
        RaisedEvents raised(knob, EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE);
        SetFocus(knob);
        SendMessageW(knob, WM_KEYDOWN, VK_UP, 1);
        window.pumpMessages();
        EXPECT_EQ(raised.list, (RaisedEvents::List{{EVENT_OBJECT_FOCUS, CHILDID_SELF},
                                                   {EVENT_OBJECT_VALUECHANGE, CHILDID_SELF}}));
    }
    EXPECT_EQ(reader.state(), STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED);
    EXPECT_EQ(reader.value(), u"101dB");

    // A value typed through the reader is the user's, as if typed into the knob.
    EXPECT_EQ(reader.type(L"40"), S_OK);
    EXPECT_EQ(value(), 40);
    EXPECT_EQ(window.knobNotifications.back().value, 40);
    EXPECT_EQ(reader.type(L"dB"), E_INVALIDARG);
    EnableWindow(knob, FALSE);  // nothing to change: a reader cannot either
    EXPECT_EQ(reader.type(L"50"), E_ACCESSDENIED);
    EnableWindow(knob, TRUE);
    // Nor behind a modal dialog, which disables the knob's window and leaves the knob itself enabled.
    HWND top = GetAncestor(knob, GA_ROOT);
    EnableWindow(top, FALSE);
    EXPECT_EQ(reader.type(L"50"), E_ACCESSDENIED);
    EXPECT_EQ(reader.object->accDoDefaultAction(AccessibleReader::child(CHILDID_SELF)), E_ACCESSDENIED);
    EXPECT_EQ(valueEntry(), nullptr);
    EnableWindow(top, TRUE);
    EXPECT_EQ(value(), 40);
    // Its default action opens the value entry.
    EXPECT_EQ(reader.object->accDoDefaultAction(AccessibleReader::child(CHILDID_SELF)), S_OK);
    EXPECT_NE(valueEntry(), nullptr);
}

// A reader may hold the object after the knob is gone: it answers, without touching the knob.
TEST(KnobAccessibleObject, OutlivesTheKnobAndThenSaysItIsDisconnected) {
    auto window = std::make_unique<ControlTestWindow>(kRotaryKnobClass, L"Boost", 50, 90);
    AccessibleReader reader(window->control());
    ASSERT_NE(reader.object, nullptr);
    window.reset();
    BSTR name = nullptr;
    EXPECT_EQ(reader.object->get_accName(AccessibleReader::child(CHILDID_SELF), &name), RPC_E_DISCONNECTED);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(reader.type(L"3"), RPC_E_DISCONNECTED);
}

// In high contrast the dial takes the system's colours; tried with a black window and yellow text.
TEST_F(Knob, InHighContrastTheDialTakesTheSystemsColours) {
    int elements[] = {COLOR_WINDOW, COLOR_WINDOWTEXT};
    COLORREF saved[] = {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)};
    COLORREF contrast[] = {RGB(0, 0, 0), RGB(255, 255, 0)};
    ASSERT_TRUE(SetSysColors(2, elements, contrast));
    setHighContrastSource(HighContrastSource::ForcedOn);
    set(KM_SETVALUE, 1);  // the pointer dot at (15.7, 32.3)
    SetFocus(GetParent(knob));
    std::vector<uint32_t> pixels = window.capture();
    SetFocus(knob);
    std::vector<uint32_t> focused = window.capture();
    setHighContrastSource(HighContrastSource::System);
    SetSysColors(2, elements, saved);
    // The focus shows as a dotted frame round the knob, beside its label: a
    // ring by the dial would merge with the rim, which the theme draws in the
    // same colour.
    auto frameDots = [&](const std::vector<uint32_t>& shown) {
        int dots = 0;
        for (int y = 50; y < 88; ++y) dots += window.pixel(shown, 0, y) == systemColour(COLOR_BTNTEXT);
        return dots;
    };
    EXPECT_EQ(frameDots(pixels), 0);
    EXPECT_GT(frameDots(focused), 8);
    EXPECT_LT(frameDots(focused), 30);
    EXPECT_EQ(window.pixel(pixels, 25, 15), 0xFF000000u);                   // inside the dial
    EXPECT_LE(colourDistance(window.pixel(pixels, 15, 32), 0xFFFFFF00u), 24);  // the pointer
    EXPECT_LE(colourDistance(window.pixel(pixels, 3, 23), 0xFFFFFF00u), 140);  // the rim, smoothed
    EXPECT_GT(colourDistance(window.pixel(window.capture(), 25, 15), 0xFF000000u), 300);  // and not without
}

TEST_F(Knob, TypedValuesAreAppliedWithEnterAndDroppedWithEscape) {
    // The entry goes after the message that closes it, never inside that message.
    auto closesAfterwards = [&](HWND edit) {
        bool stillThere = IsWindow(edit) && !IsWindowVisible(edit);
        window.pumpMessages();
        return stillThere && !IsWindow(edit) && !valueEntry();
    };
    HWND edit = openEntry();
    SendMessageW(knob, WM_LBUTTONUP, 0, point(25, 55));
    ASSERT_NE(edit, nullptr);
    wchar_t shown[16] = {};
    GetWindowTextW(edit, shown, 16);
    EXPECT_STREQ(shown, L"100");
    type(edit, L"x42\r");  // the letter is refused
    EXPECT_TRUE(closesAfterwards(edit));
    EXPECT_EQ(GetFocus(), knob);
    EXPECT_EQ(value(), 42);
    ASSERT_EQ(window.knobNotifications.size(), 1u);
    EXPECT_EQ(window.knobNotifications[0].dragging, 0);

    edit = openEntry();
    EXPECT_EQ(window.cursorAt(25, 55), LoadCursorW(nullptr, IDC_IBEAM));  // the knob leaves it to the entry
    type(edit, L"-3\x1b");  // Escape
    EXPECT_TRUE(closesAfterwards(edit));
    EXPECT_EQ(value(), 42);

    edit = openEntry();
    type(edit, L"-3");
    SendMessageW(knob, WM_LBUTTONDOWN, MK_LBUTTON, point(25, 85));  // its focus loss applies it, clamped
    EXPECT_TRUE(closesAfterwards(edit));
    EXPECT_EQ(value(), 1);
    EXPECT_EQ(window.knobNotifications.size(), 2u);
}

TEST_F(Knob, PaintsThePointerWhereTheValueSaysAndGreysItWhenDisabled) {
    // The dial (3, 1, 44, 44): its pointer dot, of radius 3.5, lies 13.2 from the
    // centre (25, 23), at (15.7, 32.3) for the minimum and (34.3, 32.3) for the maximum.
    const uint32_t text = systemColour(COLOR_BTNTEXT);
    set(KM_SETVALUE, 255);
    std::vector<uint32_t> pixels = window.capture();
    EXPECT_LE(colourDistance(window.pixel(pixels, 34, 32), text), 24);
    EXPECT_GT(colourDistance(window.pixel(pixels, 15, 32), text), 100);
    set(KM_SETVALUE, 1);
    pixels = window.capture();
    EXPECT_LE(colourDistance(window.pixel(pixels, 15, 32), text), 24);
    EXPECT_GT(colourDistance(window.pixel(pixels, 34, 32), text), 100);
    EXPECT_EQ(window.pixel(pixels, 1, 1), systemColour(COLOR_BTNFACE));  // the face around the dial
    EnableWindow(knob, FALSE);
    EXPECT_LE(colourDistance(window.pixel(window.capture(), 15, 32), systemColour(COLOR_BTNSHADOW)), 24);
}

// The parent may destroy the knob from inside any notification: the knob
// then leaves its freed state alone, whatever sent the notification.
TEST(KnobDestroyedByItsParent, TouchesNothingOfItsStateAfterAnyNotification) {
    struct Path {
        const char* name;
        bool typed;  // a number typed into the value entry first
        void (*act)(HWND knob, HWND entry);
    };
    const Path paths[] = {
        {"key", false, [](HWND knob, HWND) { SendMessageW(knob, WM_KEYDOWN, VK_UP, 1); }},
        {"wheel", false, [](HWND knob, HWND) { SendMessageW(knob, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), point(25, 25)); }},
        {"drag", false, [](HWND knob, HWND) {
             press(knob, 30);
             SendMessageW(knob, WM_MOUSEMOVE, MK_LBUTTON, point(25, 27));
         }},
        {"release", false, [](HWND knob, HWND) {
             press(knob, 30);
             SendMessageW(knob, WM_LBUTTONUP, 0, point(25, 30));
         }},
        {"Enter", true, [](HWND, HWND entry) { type(entry, L"\r"); }},
        {"a press on the dial", true, [](HWND knob, HWND) { press(knob, 30); }},
        {"the focus leaving", true, [](HWND knob, HWND) { SetFocus(GetParent(knob)); }},
        {"a screen reader's value", false, [](HWND knob, HWND) {
             AccessibleReader reader(knob);
             if (reader.object) reader.type(L"42");
         }},
    };
    for (const Path& path : paths) {
        ControlTestWindow window{kRotaryKnobClass, L"Decay", 50, 90};
        HWND knob = window.control();
        double maximum = 255, value = 100;
        SendMessageW(knob, KM_SETMAX, WPARAM(&maximum), 0);
        SendMessageW(knob, KM_SETVALUE, WPARAM(&value), 0);
        window.capture();  // laid out
        SetFocus(knob);
        HWND entry = nullptr;
        if (path.typed) {
            press(knob, 55);
            SendMessageW(knob, WM_LBUTTONUP, 0, point(25, 55));
            entry = FindWindowExW(knob, nullptr, L"Edit", nullptr);
            ASSERT_NE(entry, nullptr);
            SendMessageW(entry, EM_SETSEL, 0, -1);
            type(entry, L"42");
        }
        DestroyedInNotification destroyed(window);
        path.act(knob, entry);
        window.pumpMessages();
        EXPECT_TRUE(destroyed.destroyed()) << path.name;
        ASSERT_TRUE(destroyed.blockTaken()) << path.name;
        EXPECT_TRUE(destroyed.untouched()) << path.name;
        EXPECT_TRUE(destroyed.freedOnce()) << path.name;
    }
}

static HWND tooltipOf(HWND knob) {
    for (HWND tip = FindWindowExW(nullptr, nullptr, L"tooltips_class32", nullptr); tip;
         tip = FindWindowExW(nullptr, tip, L"tooltips_class32", nullptr))
        if (GetWindow(tip, GW_OWNER) == GetAncestor(knob, GA_ROOT)) return tip;  // owners are top-level windows
    return nullptr;
}

TEST_F(Knob, TooltipTextAddsAndRemovesTheTool) {
    EXPECT_EQ(tooltipOf(knob), nullptr);  // none until there is a text
    Utf16View tip = viewOf(u"Decay length in blocks of 1024 samples");  // longer than 32 units: cut
    SendMessageW(knob, KM_SETTIP, WPARAM(&tip), 0);
    HWND tooltip = tooltipOf(knob);
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
    wchar_t text[80] = {};
    TOOLINFOW tool = {sizeof tool, 0, knob, 0, {}, nullptr, text, 0, nullptr};  // the knob's own tool
    SendMessageW(tooltip, TTM_GETTEXTW, 80, LPARAM(&tool));
    EXPECT_EQ(std::wstring(text), std::wstring(L"Decay length in blocks of 1024 samples").substr(0, 31));
    Utf16View none = viewOf(u"");
    SendMessageW(knob, KM_SETTIP, WPARAM(&none), 0);
    EXPECT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), 0);
    DestroyWindow(knob);  // the tooltip belongs to the top-level window, so the knob takes it along
    EXPECT_FALSE(IsWindow(tooltip));
}

// The controls' GDI+ header leaves its names in namespace Gdiplus: this Status is unambiguous.
struct Status {
    int code;
};
static_assert(sizeof(Status) == sizeof(int), "Status is this file's own");

TEST(ControlClasses, BelongToTheModuleThatRegistersThem) {
    startControlsForTests();
    HINSTANCE program = GetModuleHandleW(nullptr), library = GetModuleHandleW(L"comctl32.dll");
    std::pair<const wchar_t*, bool (*)(HINSTANCE)> classes[] = {{kRotaryKnobClass, registerRotaryKnobClass},
                                                                 {kWaveformViewClass, registerWaveformViewClass}};
    for (auto [name, registerClass] : classes) {
        ASSERT_TRUE(UnregisterClassW(name, program));
        EXPECT_TRUE(registerClass(library));
        {
            ControlTestWindow window{name, L"", 10, 10};
            EXPECT_EQ(HINSTANCE(GetClassLongPtrW(window.control(), GCLP_HMODULE)), library) << name;
        }
        UnregisterClassW(name, library);
        EXPECT_TRUE(registerClass(program));
    }
}

TEST(ControlClasses, WithoutTheirStateDoNothing) {
    for (const wchar_t* name : {kRotaryKnobClass, kWaveformViewClass}) {
        ControlTestWindow window{name, L"", 50, 90};
        HWND control = window.control();
        LONG_PTR state = SetWindowLongPtrW(control, 0, 0);
        EXPECT_EQ(SendMessageW(control, WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(45, 45)), 0);
        EXPECT_EQ(window.wheelMessages, 0) << name;
        EXPECT_EQ(SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(25, 20)), 0);
        EXPECT_EQ(GetCapture(), nullptr);
        SetWindowLongPtrW(control, 0, state);
    }
}
