#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "accessible_reading_win.h"
#include "control_test_window.h"
#include "controls/high_contrast_win.h"

namespace {

constexpr uint32_t kWaveform = 0xFFB41982;
constexpr uint32_t kPlayLine = 0xFFF39100;
using Notified = std::vector<std::tuple<int, int, int>>;  // marker, position, dragging

struct View : ::testing::Test {
    ControlTestWindow window{kWaveformViewClass, L"", 420, 120};
    HWND view = window.control();
    std::vector<float> samples;
    const uint32_t face = systemColour(COLOR_BTNFACE);
    const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW), hand = LoadCursorW(nullptr, IDC_HAND);

    void SetUp() override {
        SendMessageW(view, WV_ADDMARKER, 'S', 0);
        SendMessageW(view, WV_ADDMARKER, 'E', 0);
    }
    // One pixel a sample: a marker at position p has its line, and its handle, at x = p + 1.
    void showSeries(float level) {
        samples.assign(418, level);
        SendMessageW(view, WV_SETPRIMARY, WPARAM(samples.data()), 418);
    }
    static int countColour(const std::vector<uint32_t>& pixels, uint32_t colour, int tolerance) {
        int found = 0;
        for (uint32_t pixel : pixels) found += colourDistance(pixel | 0xFF000000u, colour) <= tolerance;
        return found;
    }
    void press(int x, int y) { SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    void move(int x, int y) { SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y)); }
    void moveAndRelease(int x, int y) {
        move(x, y);
        SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    LRESULT position(int marker) { return SendMessageW(view, WV_GETMARKERPOS, marker, 0); }
    void wheel(UINT message, int x, int y, int delta, WPARAM keys = 0) {
        POINT p = {x, y};
        ClientToScreen(view, &p);
        SendMessageW(view, message, MAKEWPARAM(keys, delta), MAKELPARAM(p.x, p.y));
    }
    std::tuple<uint32_t, uint32_t> visible() {
        VisibleSamples shown = {};
        SendMessageW(view, WV_GETVISIBLE, WPARAM(&shown), 0);
        return {shown.first, shown.count};
    }
    bool scrollBarShown() const { return (GetWindowLongPtrW(view, GWL_STYLE) & WS_HSCROLL) != 0; }
    Notified notified() const {
        Notified all;
        for (const MarkerNotification& n : window.markerNotifications)
            all.emplace_back(n.marker, n.position, n.dragging);
        return all;
    }
};

}  // namespace

TEST_F(View, WithoutSamplesOnlyBackgroundBorderAndCentreLine) {
    SendMessageW(view, WV_SETMARKERPOS, 0, 100);
    SendMessageW(view, WV_SETPLAYPOSITION, 50, 0);
    std::vector<uint32_t> pixels = window.capture();
    EXPECT_EQ(window.pixel(pixels, 0, 0), systemColour(COLOR_BTNSHADOW));
    EXPECT_EQ(window.pixel(pixels, 419, 60), systemColour(COLOR_BTNSHADOW));
    EXPECT_EQ(window.pixel(pixels, 200, 59), systemColour(COLOR_BTNTEXT));  // the centre row of 119
    EXPECT_EQ(window.pixel(pixels, 200, 58), face);
    EXPECT_EQ(window.pixel(pixels, 101, 30), face);  // no marker line
    EXPECT_EQ(countColour(pixels, kWaveform, 40), 0);
    EXPECT_EQ(countColour(pixels, kPlayLine, 0), 0);
}

TEST_F(View, DrawsTheSamplesAndThePlayLine) {
    showSeries(0.5f);  // a level line a quarter of the height above the centre
    SendMessageW(view, WV_SETPLAYPOSITION, 100, 0);
    std::vector<uint32_t> pixels = window.capture();
    EXPECT_GT(countColour(pixels, kWaveform, 60), 300);
    EXPECT_LE(colourDistance(window.pixel(pixels, 200, 30), kWaveform), 120);  // 59 - 117 / 4, rounded
    EXPECT_EQ(window.pixel(pixels, 101, 90), kPlayLine);
    EXPECT_EQ(window.pixel(pixels, 102, 90), kPlayLine);
    EXPECT_NE(window.pixel(pixels, 104, 90), kPlayLine);
    SendMessageW(view, WV_SETPLAYPOSITION, WPARAM(-1), 0);
    EXPECT_EQ(countColour(window.capture(), kPlayLine, 0), 0);
}

TEST_F(View, AMarkerStaysAboveItsMinimumAndThereAreAtMostEight) {
    SendMessageW(view, WV_SETMARKERMIN, 1, 200);
    SendMessageW(view, WV_SETMARKERPOS, 1, 50);
    EXPECT_EQ(position(1), 200);
    for (int i = 2; i < 8; ++i) EXPECT_EQ(SendMessageW(view, WV_ADDMARKER, 'A' + i, 0), i);
    EXPECT_EQ(SendMessageW(view, WV_ADDMARKER, 'Z', 0), 0xFFFF);
}

TEST_F(View, DraggingAHandleNotifiesDuringTheDragAndOnceAtItsEnd) {
    showSeries(0.0f);
    SendMessageW(view, WV_SETMARKERMAX, 0, 200);
    SendMessageW(view, WV_SETMARKERPOS, 0, 100);
    SendMessageW(view, WV_SETMARKERMIN, 1, 100);
    SendMessageW(view, WV_SETMARKERPOS, 1, 200);
    window.capture();  // lays out the handles, at the top of the plot
    EXPECT_EQ(window.cursorAt(101, 3), hand);
    EXPECT_EQ(window.cursorAt(101, 90), hand);  // the line below the handle
    EXPECT_EQ(window.cursorAt(120, 90), arrow);
    press(101, 3);
    move(151, 3);
    // Alt+Tab or another window taking the mouse cancels the drag: the marker goes back.
    SetCapture(GetParent(view));
    EXPECT_EQ(GetCursor(), arrow);
    ReleaseCapture();
    moveAndRelease(181, 3);  // no longer a drag
    EXPECT_EQ(position(0), 100);
    window.capture();
    press(101, 3);
    move(131, 3);
    moveAndRelease(350, 3);  // beyond E: stops at its position
    press(300, 90);  // away from every handle: no drag
    moveAndRelease(310, 90);
    EXPECT_EQ(notified(), (Notified{{0, 150, 1}, {0, 100, 0}, {0, 130, 1}, {0, 200, 1}, {0, 200, 0}}));
}

TEST_F(View, NothingIsDraggedWithoutTheSeriesOrTheMarker) {
    showSeries(0.0f);
    SendMessageW(view, WV_SETMARKERPOS, 0, 100);
    SendMessageW(view, WV_SETMARKERPOS, 1, 300);
    window.capture();
    press(101, 3);
    SendMessageW(view, WV_REMOVEMARKER, 0, 0);  // E moves down to index 0
    EXPECT_EQ(GetCapture(), nullptr);
    moveAndRelease(150, 3);
    EXPECT_EQ(position(0), 300);

    window.capture();
    press(301, 3);
    SendMessageW(view, WV_SETPRIMARY, 0, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    moveAndRelease(150, 3);
    EXPECT_EQ(position(0), 300);
    // nor at the handle's old place, where neither a press nor the cursor finds it
    window.capture();
    press(301, 3);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(window.cursorAt(301, 3), arrow);
    EXPECT_TRUE(window.markerNotifications.empty());
}

// The parent may destroy the view from inside a marker notification, during
// a drag or a key run or at their end: the view then leaves its freed state alone.
TEST(ViewDestroyedByItsParent, TouchesNothingOfItsStateAfterANotification) {
    std::vector<float> samples(418, 0.0f);
    enum { Dragging, Released, KeyMoving, KeyReleased, FocusGone };
    for (int when : {Dragging, Released, KeyMoving, KeyReleased, FocusGone}) {
        ControlTestWindow window{kWaveformViewClass, L"", 420, 120};
        HWND view = window.control();
        SendMessageW(view, WV_ADDMARKER, 'S', 0);
        SendMessageW(view, WV_SETPRIMARY, WPARAM(samples.data()), LPARAM(samples.size()));
        SendMessageW(view, WV_SETMARKERPOS, 0, 100);
        window.capture();  // lays out the handle
        if (when == Dragging || when == Released) SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(101, 3));
        if (when == KeyReleased || when == FocusGone) {
            SetFocus(view);
            SendMessageW(view, WM_KEYDOWN, VK_RIGHT, 1);
        }
        DestroyedInNotification destroyed(window);
        switch (when) {
        case Dragging: SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 3)); break;
        case Released: SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(101, 3)); break;
        case KeyMoving: SendMessageW(view, WM_KEYDOWN, VK_END, 1); break;
        case KeyReleased: SendMessageW(view, WM_KEYUP, VK_RIGHT, 1); break;
        case FocusGone: SetFocus(GetParent(view)); break;
        }
        window.pumpMessages();
        EXPECT_TRUE(destroyed.destroyed()) << when;
        ASSERT_TRUE(destroyed.blockTaken()) << when;
        EXPECT_TRUE(destroyed.untouched()) << when;
        EXPECT_TRUE(destroyed.freedOnce()) << when;
        EXPECT_EQ(GetCapture(), nullptr);
    }
}

TEST_F(View, OutsideStartAndEndTheSamplesAreDimmed) {
    showSeries(0.5f);
    SendMessageW(view, WV_SETMARKERPOS, 0, 100);  // lines at 101 and 301
    std::vector<uint32_t> pixels = window.capture();
    auto distance = [&](int x, int y) { return colourDistance(window.pixel(pixels, x, y), kWaveform); };
    int row = 0;  // the level line's row, where the colour is at its fullest
    for (int y = 1; y < 118; ++y)
        if (distance(200, y) < distance(200, row)) row = y;
    ASSERT_LE(colourDistance(window.pixel(pixels, 200, row), kWaveform), 60);
    EXPECT_EQ(window.pixel(pixels, 50, row), window.pixel(pixels, 200, row));  // without E nothing is dimmed

    SendMessageW(view, WV_SETMARKERPOS, 1, 300);
    pixels = window.capture();
    const uint32_t inside = window.pixel(pixels, 200, row);
    EXPECT_EQ(inside, window.pixel(pixels, 250, row));
    for (int x : {50, 99, 304, 400}) {
        EXPECT_LT(colourDistance(window.pixel(pixels, x, row), face), colourDistance(inside, face) / 2) << x;
        EXPECT_GT(colourDistance(window.pixel(pixels, x, row), face), 0) << x;  // dimmed, still there
    }
    EXPECT_EQ(window.pixel(pixels, 101, 90), systemColour(COLOR_BTNTEXT));  // the lines stay as they were
    EXPECT_EQ(window.pixel(pixels, 302, 90), systemColour(COLOR_BTNTEXT));
}

// 100000 samples at rest with a block at half scale from 50000 to 50099,
// shown two pixels a sample from 49950: sample i at x = 1 + 2 (i - 49950).
struct Zoomed : View {
    void SetUp() override {
        View::SetUp();
        samples.assign(100000, 0.0f);
        for (int i = 50000; i < 50100; ++i) samples[i] = 0.5f;
        SendMessageW(view, WV_SETPRIMARY, WPARAM(samples.data()), LPARAM(samples.size()));
        SendMessageW(view, WV_SETVISIBLE, 49950, 209);
    }
    int clientHeight() const {
        RECT client;
        GetClientRect(view, &client);
        return client.bottom;
    }
};

TEST_F(Zoomed, DrawsTheVisibleSamplesWithAScrollBarAndTheMarkersAndPlayLineWhereTheyFall) {
    EXPECT_EQ(visible(), std::make_tuple(49950u, 209u));
    ASSERT_TRUE(scrollBarShown());
    SCROLLINFO info = {sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(view, SB_HORZ, &info);
    EXPECT_EQ(std::make_tuple(info.nMin, info.nMax, info.nPage, info.nPos), std::make_tuple(0, 99999, 209u, 49950));
    EXPECT_LT(clientHeight(), 120);  // the scroll bar takes the bottom

    SendMessageW(view, WV_SETMARKERPOS, 0, 49900);     // before the visible samples: not drawn
    SendMessageW(view, WV_SETMARKERPOS, 1, 50100);     // where the block ends: x = 301
    SendMessageW(view, WV_SETPLAYPOSITION, 50050, 0);  // x = 201
    std::vector<uint32_t> pixels = window.capture();
    auto distance = [&](int x, int y) { return colourDistance(window.pixel(pixels, x, y), kWaveform); };
    auto levelRow = [&](int x) {  // where the line's colour is at its fullest
        int row = 1;
        for (int y = 1; y < clientHeight() - 1; ++y)
            if (distance(x, y) < distance(x, row)) row = y;
        EXPECT_LE(distance(x, row), 150) << x;
        return row;
    };
    // At rest the line lies on the centre row; in the block, a quarter of the plot's height above it.
    const int rest = levelRow(50), block = levelRow(150);
    EXPECT_NEAR(rest - block, (clientHeight() - 2) / 4.0, 1.0);
    EXPECT_EQ(levelRow(298), block);

    const uint32_t text = systemColour(COLOR_BTNTEXT);
    EXPECT_EQ(window.pixel(pixels, 201, 80), kPlayLine);
    EXPECT_EQ(window.pixel(pixels, 202, 80), kPlayLine);
    EXPECT_EQ(window.pixel(pixels, 301, 80), text);  // E's line
    EXPECT_EQ(window.pixel(pixels, 302, 80), text);
    int textBeforeE = 0;  // S, before the visible samples, leaves no line and nothing dimmed
    for (int x = 1; x < 300; ++x) textBeforeE += window.pixel(pixels, x, 80) == text;
    EXPECT_EQ(textBeforeE, 0);
    EXPECT_EQ(window.pixel(pixels, 50, 80), face);
    // After E the samples are dimmed.
    EXPECT_LT(colourDistance(window.pixel(pixels, 350, rest), face),
              colourDistance(window.pixel(pixels, 50, rest), face) / 2);

    SendMessageW(view, WV_SETPLAYPOSITION, 10, 0);  // before the visible samples
    EXPECT_EQ(countColour(window.capture(), kPlayLine, 0), 0);
}

TEST_F(Zoomed, TheSameLengthKeepsTheZoomAnotherLengthShowsTheWhole) {
    std::vector<float> rebuilt(samples.size(), 0.25f);  // a knob step: new values, the same count
    SendMessageW(view, WV_SETPRIMARY, WPARAM(rebuilt.data()), LPARAM(rebuilt.size()));
    EXPECT_EQ(visible(), std::make_tuple(49950u, 209u));
    EXPECT_TRUE(scrollBarShown());
    SendMessageW(view, WV_SETPRIMARY, WPARAM(rebuilt.data()), 99999);
    EXPECT_EQ(visible(), std::make_tuple(0u, 99999u));
    EXPECT_FALSE(scrollBarShown());
    EXPECT_EQ(clientHeight(), 120);
}

TEST_F(Zoomed, TheWheelZoomsAroundThePointerAndTheRestMovesAlong) {
    SendMessageW(view, WV_SETVISIBLE, 0, 0);
    EXPECT_EQ(visible(), std::make_tuple(0u, 100000u));
    EXPECT_FALSE(scrollBarShown());
    wheel(WM_MOUSEWHEEL, 101, 50, WHEEL_DELTA);  // sample 100 * 100000 / 418 = 23923.4 stays at x = 101
    EXPECT_EQ(visible(), std::make_tuple(11962u, 50000u));  // 23923.4 - 100 * 50000 / 418
    EXPECT_TRUE(scrollBarShown());
    wheel(WM_MOUSEWHEEL, 101, 50, -WHEEL_DELTA, MK_SHIFT);  // 40 pixels on: 4784.7 samples
    EXPECT_EQ(visible(), std::make_tuple(16746u, 50000u));
    wheel(WM_MOUSEHWHEEL, 101, 50, WHEEL_DELTA);  // the horizontal wheel to the right: as far again
    EXPECT_EQ(visible(), std::make_tuple(21531u, 50000u));

    // The middle button drags the samples along with the pointer: 209 pixels, 25000 samples.
    SendMessageW(view, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(300, 50));
    EXPECT_EQ(GetCapture(), view);
    SendMessageW(view, WM_MOUSEMOVE, MK_MBUTTON, MAKELPARAM(91, 50));
    SendMessageW(view, WM_MBUTTONUP, 0, MAKELPARAM(91, 50));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(visible(), std::make_tuple(46531u, 50000u));

    SendMessageW(view, WM_HSCROLL, SB_LINERIGHT, 0);  // a sixteenth of the width
    EXPECT_EQ(visible(), std::make_tuple(49656u, 50000u));
    SendMessageW(view, WM_HSCROLL, SB_PAGERIGHT, 0);  // to the end, no further
    EXPECT_EQ(visible(), std::make_tuple(50000u, 50000u));

    wheel(WM_MOUSEWHEEL, 101, 50, WHEEL_DELTA, 0);
    POINT outside = {500, 50};  // beside the view: passed on to the parent
    ClientToScreen(view, &outside);
    SendMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(outside.x, outside.y));
    EXPECT_EQ(window.wheelMessages, 1);
    EXPECT_EQ(visible(), std::make_tuple(55981u, 25000u));

    EXPECT_TRUE(GetClassLongPtrW(view, GCL_STYLE) & CS_DBLCLKS);  // without, no double-click arrives
    SendMessageW(view, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(200, 50));  // the whole series again
    EXPECT_EQ(visible(), std::make_tuple(0u, 100000u));
    EXPECT_FALSE(scrollBarShown());
    SendMessageW(view, WV_SETPRIMARY, 0, 0);  // nothing to zoom: passed on too
    wheel(WM_MOUSEWHEEL, 101, 50, WHEEL_DELTA);
    EXPECT_EQ(window.wheelMessages, 2);
}

TEST_F(Zoomed, AMarkerGrabbedByItsLineLandsOnTheExactSample) {
    SendMessageW(view, WV_SETVISIBLE, 1000, 209);  // two pixels a sample from 1000
    SendMessageW(view, WV_SETMARKERPOS, 0, 1010);  // its line at 21 and 22
    SendMessageW(view, WV_SETMARKERPOS, 1, 5000);
    window.capture();
    press(28, 90);  // six pixels right of the line, below its handle: out of reach
    EXPECT_EQ(GetCapture(), nullptr);
    press(26, 90);  // four
    EXPECT_EQ(GetCapture(), view);
    moveAndRelease(26 + 2 * 37, 90);  // 37 samples on
    EXPECT_EQ(position(0), 1047);
    EXPECT_EQ(notified(), (Notified{{0, 1047, 1}, {0, 1047, 0}}));

    // Shown whole, a pixel is 239 samples: a press and a move on the spot leave the marker alone.
    SendMessageW(view, WV_SETVISIBLE, 0, 0);
    SendMessageW(view, WV_SETMARKERPOS, 0, 50000);  // at 1 + 50000 * 418 / 100000 = 210
    press(212, 90);
    moveAndRelease(212, 90);
    EXPECT_EQ(position(0), 50000);
}

// The view's one timer (identifier 1) scrolls while a marker is pulled beyond
// the plot; the test sends its ticks itself.
TEST_F(Zoomed, AMarkerPulledBeyondThePlotWaitsAtTheEdgeWhileTheViewScrolls) {
    SendMessageW(view, WV_SETVISIBLE, 1000, 209);
    SendMessageW(view, WV_SETMARKERPOS, 0, 1100);  // x = 201
    press(201, 90);
    move(430, 90);  // twelve pixels beyond the plot: at its last sample
    EXPECT_TRUE(KillTimer(view, 1));  // the scrolling started
    SetTimer(view, 1, USER_TIMER_MAXIMUM, nullptr);  // again, but not to tick during the test
    SendMessageW(view, WM_TIMER, 1, 0);
    EXPECT_EQ(visible(), std::make_tuple(1006u, 209u));
    move(300, 90);  // back inside: 1006 + 299 / 2
    EXPECT_FALSE(KillTimer(view, 1));  // no more scrolling
    moveAndRelease(300, 90);
    EXPECT_EQ(notified(), (Notified{{0, 1209, 1}, {0, 1215, 1}, {0, 1156, 1}, {0, 1156, 1}, {0, 1156, 0}}));
}

// ---- the keyboard and screen readers --------------------------------------------

namespace {

// Ctrl or Shift held, as GetKeyState reads them, for the life of the object.
struct HeldKeys {
    explicit HeldKeys(std::initializer_list<int> keys) { set(keys, 0x80); }
    ~HeldKeys() { set({VK_CONTROL, VK_SHIFT}, 0); }
    static void set(std::initializer_list<int> keys, BYTE state) {
        BYTE all[256] = {};
        GetKeyboardState(all);
        for (int key : keys) all[key] = state;
        SetKeyboardState(all);
    }
};

// A press of a key: `repeats` key-downs folded into one message; `held`: the key was down already.
void keyDown(HWND view, WPARAM key, int repeats = 1, bool held = false) {
    SendMessageW(view, WM_KEYDOWN, key, LPARAM(repeats) | (held ? LPARAM(1) << 30 : 0));
}
void keyUp(HWND view, WPARAM key) { SendMessageW(view, WM_KEYUP, key, LPARAM(1) | LPARAM(3) << 30); }

}  // namespace

TEST_F(View, ScreenReadersFindAGroupOfSlidersThatFollowTheKeysAndTheFocus) {
    showSeries(0.0f);
    SendMessageW(view, WV_SETMARKERPOS, 0, 200);
    window.capture();  // lays out the handles
    AccessibleReader reader(view);
    ASSERT_NE(reader.object, nullptr);
    EXPECT_EQ(reader.name(CHILDID_SELF), u"Waveform");
    EXPECT_EQ(reader.role(CHILDID_SELF), ROLE_SYSTEM_GROUPING);
    EXPECT_EQ(reader.children(), 1);  // E has no position yet
    EXPECT_EQ(reader.name(1), u"Start marker");
    EXPECT_EQ(reader.role(1), ROLE_SYSTEM_SLIDER);
    EXPECT_EQ(reader.value(1), u"200 samples, 5.3 ms");
    SendMessageW(view, WV_SETMARKERPOS, 1, 300);
    window.capture();
    EXPECT_EQ(reader.children(), 2);
    EXPECT_EQ(reader.name(2), u"End marker");
    EXPECT_EQ(reader.value(2), u"300 samples, 7.9 ms");
    SetWindowTextW(view, L"Kick");
    EXPECT_EQ(reader.name(CHILDID_SELF), u"Kick");

    // Where the markers are: their lines (x = position + 1) and handles, on the screen.
    POINT origin = {0, 0};
    ClientToScreen(view, &origin);
    const RECT start = reader.place(1);
    EXPECT_LE(start.left, origin.x + 201);
    EXPECT_GE(start.right, origin.x + 203);
    EXPECT_LT(start.right - start.left, 30);
    EXPECT_EQ(start.top, origin.y + 1);
    EXPECT_GE(start.bottom, origin.y + 110);
    EXPECT_EQ(reader.at(view, 201, 90), 1);
    EXPECT_EQ(reader.at(view, 301, 90), 2);
    EXPECT_EQ(reader.at(view, 250, 90), CHILDID_SELF);

    RaisedEvents raised(view, EVENT_OBJECT_FOCUS, EVENT_OBJECT_VALUECHANGE);
    EXPECT_EQ(reader.focus(), -1);  // no focus, no answer
    SetFocus(view);
    EXPECT_EQ(reader.focus(), 1);  // the start marker, chosen at first
    const LONG chosen = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_SELECTED;
    EXPECT_EQ(reader.state(1), chosen);
    EXPECT_EQ(reader.state(2), STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE);
    SendMessageW(view, WM_CHAR, 'e', 1);  // E's label chooses it
    EXPECT_EQ(reader.focus(), 2);
    EXPECT_EQ(reader.state(2), chosen);
    keyDown(view, VK_LEFT, 3);
    keyUp(view, VK_LEFT);
    EXPECT_EQ(reader.value(2), u"297 samples, 7.8 ms");
    window.pumpMessages();
    RaisedEvents::List seen;  // without the system's own focus event for the window
    for (const auto& event : raised.list)
        if (event.second != CHILDID_SELF) seen.push_back(event);
    EXPECT_EQ(seen, (RaisedEvents::List{{EVENT_OBJECT_FOCUS, 1}, {EVENT_OBJECT_SELECTION, 2}, {EVENT_OBJECT_FOCUS, 2},
                                        {EVENT_OBJECT_VALUECHANGE, 2}}));
}

// The system itself announces the view when it gets the focus; the view adds
// the chosen marker, if any. A reader that moves the focus to a marker (as a
// user sends a screen reader's focus to the object it reviews) chooses it:
// the keys then move that marker. Behind a modal dialog nothing is chosen.
TEST_F(View, ReadersHearTheFocusOnceAndMayGiveItToAMarker) {
    AccessibleReader reader(view);
    ASSERT_NE(reader.object, nullptr);
    RaisedEvents raised(view, EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS);
    SetFocus(view);  // no series, no marker to announce
    window.pumpMessages();
    EXPECT_EQ(raised.list, (RaisedEvents::List{{EVENT_OBJECT_FOCUS, CHILDID_SELF}}));

    showSeries(0.0f);
    SendMessageW(view, WV_SETMARKERPOS, 0, 100);
    SendMessageW(view, WV_SETMARKERPOS, 1, 300);
    SetFocus(GetParent(view));
    window.pumpMessages();
    raised.list.clear();
    EXPECT_EQ(reader.object->accSelect(SELFLAG_TAKEFOCUS, AccessibleReader::child(2)), S_OK);
    window.pumpMessages();
    EXPECT_EQ(GetFocus(), view);
    EXPECT_EQ(reader.focus(), 2);
    EXPECT_EQ(raised.list, (RaisedEvents::List{{EVENT_OBJECT_FOCUS, CHILDID_SELF}, {EVENT_OBJECT_FOCUS, 2}}));
    keyDown(view, VK_LEFT);
    keyUp(view, VK_LEFT);
    EXPECT_EQ(position(1), 299);
    EXPECT_EQ(position(0), 100);
    EXPECT_EQ(reader.object->accSelect(SELFLAG_TAKESELECTION, AccessibleReader::child(1)), S_OK);
    EXPECT_EQ(reader.focus(), 1);

    HWND top = GetAncestor(view, GA_ROOT);
    EnableWindow(top, FALSE);
    EXPECT_EQ(reader.object->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, AccessibleReader::child(2)),
              E_ACCESSDENIED);
    EnableWindow(top, TRUE);
    SetFocus(view);
    EXPECT_EQ(reader.focus(), 1);
}

// Each move tells the parent as a drag does; the key's release (or the focus
// going) ends the run. Ctrl steps by a millisecond (38 samples), Shift by ten (379).
TEST_F(View, KeysMoveTheSelectedMarkerInRunsTheParentIsToldOfLikeDrags) {
    samples.assign(5000, 0.0f);
    SendMessageW(view, WV_SETPRIMARY, WPARAM(samples.data()), 5000);
    SendMessageW(view, WV_SETMARKERMAX, 0, 3000);
    SendMessageW(view, WV_SETMARKERPOS, 0, 1000);
    SendMessageW(view, WV_SETMARKERMIN, 1, 1000);
    SendMessageW(view, WV_SETMARKERPOS, 1, 3000);
    SetFocus(view);
    EXPECT_EQ(SendMessageW(view, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
    keyDown(view, VK_RIGHT);
    keyDown(view, VK_RIGHT, 4, true);  // held: four more
    keyUp(view, VK_RIGHT);
    {
        HeldKeys control({VK_CONTROL});
        keyDown(view, VK_LEFT, 2);
    }
    keyUp(view, VK_LEFT);
    {
        HeldKeys shift({VK_SHIFT});
        keyDown(view, VK_RIGHT, 10);  // stops at E
    }
    SetFocus(nullptr);  // the focus going ends the run
    SetFocus(view);
    SendMessageW(view, WM_CHAR, 'E', 1);
    keyDown(view, VK_END);
    keyDown(view, VK_HOME);  // as far as S allows
    keyUp(view, VK_HOME);
    EXPECT_EQ(notified(), (Notified{{0, 1001, 1}, {0, 1005, 1}, {0, 1005, 0}, {0, 929, 1}, {0, 929, 0},
                                    {0, 3000, 1}, {0, 3000, 0}, {1, 5000, 1}, {1, 1000, 1}, {1, 1000, 0}}));
    for (const MarkerNotification& n : window.markerNotifications) EXPECT_EQ(n.byKey, 1);
    // No press starts a drag during a key run, and nothing moves by key during a drag.
    window.markerNotifications.clear();
    window.capture();
    keyDown(view, VK_LEFT);  // at E's minimum: told all the same
    press(85, 90);           // on E's line, at 1 + 1000 * 418 / 5000
    EXPECT_EQ(GetCapture(), nullptr);
    keyUp(view, VK_LEFT);
    press(85, 90);
    ASSERT_EQ(GetCapture(), view);
    keyDown(view, VK_RIGHT);
    keyUp(view, VK_RIGHT);
    SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(85, 90));
    EXPECT_EQ(notified(), (Notified{{1, 1000, 1}, {1, 1000, 0}, {1, 1000, 0}}));
    EXPECT_EQ(window.markerNotifications.back().byKey, 0);  // the drag's
}

TEST_F(Zoomed, PlusAndMinusZoomAroundTheSelectedMarkerAndKeysKeepItInSight) {
    SendMessageW(view, WV_SETMARKERPOS, 0, 50100);  // x = 301
    SendMessageW(view, WV_SETMARKERPOS, 1, 90000);
    SetFocus(view);
    keyDown(view, VK_SUBTRACT);  // twice the samples, S staying at x = 301
    EXPECT_EQ(visible(), std::make_tuple(49800u, 418u));
    keyDown(view, VK_OEM_PLUS, 2);  // a quarter: 50100 - 300 * 104.5 / 418
    EXPECT_EQ(visible(), std::make_tuple(50025u, 105u));
    // A marker moved or chosen out of sight is brought into the middle.
    keyDown(view, VK_END);
    keyUp(view, VK_END);
    EXPECT_EQ(position(0), 100000);
    EXPECT_EQ(visible(), std::make_tuple(99896u, 105u));  // kept within the series
    SendMessageW(view, WM_CHAR, 'E', 1);
    EXPECT_EQ(visible(), std::make_tuple(89948u, 105u));  // 90000 - 104.5 / 2
}

// Under a high-contrast theme every colour is the system's: the samples in
// the window text colour (those outside S and E in the grey text colour), the
// markers in the highlight colour, the chosen one's handle filled with it.
TEST_F(View, UnderHighContrastEveryColourIsASystemColour) {
    const int indexes[] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_GRAYTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT,
                           COLOR_HOTLIGHT};
    const COLORREF chosen[] = {RGB(10, 20, 30), RGB(230, 220, 40), RGB(40, 200, 210), RGB(250, 60, 200),
                               RGB(0, 0, 250), RGB(120, 250, 60)};
    COLORREF saved[std::size(indexes)];
    for (size_t i = 0; i < std::size(indexes); ++i) saved[i] = GetSysColor(indexes[i]);
    ASSERT_TRUE(SetSysColors(int(std::size(indexes)), indexes, chosen));
    setHighContrastSource(HighContrastSource::ForcedOn);
    struct Restore {
        const int* indexes;
        const COLORREF* colours;
        ~Restore() {
            setHighContrastSource(HighContrastSource::System);
            SetSysColors(6, indexes, colours);
        }
    } restore{indexes, saved};

    showSeries(0.5f);  // a level line a quarter of the height above the centre
    SendMessageW(view, WV_SETMARKERPOS, 0, 100);  // lines at 101 and 301
    SendMessageW(view, WV_SETMARKERPOS, 1, 300);
    SendMessageW(view, WV_SETPLAYPOSITION, 200, 0);
    SetFocus(view);
    SendMessageW(view, WM_CHAR, 'e', 1);
    SendMessageW(view, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    std::vector<uint32_t> pixels = window.capture();
    const uint32_t background = systemColour(COLOR_WINDOW), text = systemColour(COLOR_WINDOWTEXT);
    const uint32_t grey = systemColour(COLOR_GRAYTEXT), highlight = systemColour(COLOR_HIGHLIGHT);
    EXPECT_EQ(background, 0xFF0A141Eu);  // the colours set above are the ones read
    int row = 0;  // the level line's row
    for (int y = 1; y < 118; ++y)
        if (window.pixel(pixels, 250, y) == text) row = y;
    EXPECT_NEAR(row, 59 - 117 / 4, 1);
    EXPECT_EQ(window.pixel(pixels, 250, row + 3), background);
    EXPECT_EQ(window.pixel(pixels, 0, 60), text);  // the border
    EXPECT_EQ(window.pixel(pixels, 50, row), grey);  // before S: not played
    EXPECT_EQ(window.pixel(pixels, 350, row), grey);
    EXPECT_EQ(window.pixel(pixels, 150, 59), grey);  // the centre line
    EXPECT_EQ(window.pixel(pixels, 101, 90), highlight);  // S's line
    EXPECT_EQ(window.pixel(pixels, 102, 90), highlight);
    EXPECT_EQ(window.pixel(pixels, 201, 90), systemColour(COLOR_HOTLIGHT));  // the play line
    EXPECT_EQ(window.pixel(pixels, 301, 5), highlight);  // E's handle, chosen
    int frame = 0;  // the dotted focus frame along the plot's left column
    for (int y = 20; y < 100; ++y) frame += window.pixel(pixels, 1, y) == text;
    EXPECT_GT(frame, 20);
    EXPECT_LT(frame, 60);
    // Below the handles (whose labels are smoothed) nothing else: no blend, no colour of the program's own.
    for (int y = 20; y < 120; ++y)
        for (int x = 0; x < 420; ++x) {
            const uint32_t pixel = window.pixel(pixels, x, y);
            ASSERT_TRUE(pixel == background || pixel == text || pixel == grey || pixel == highlight ||
                        pixel == systemColour(COLOR_HOTLIGHT))
                << std::hex << pixel << std::dec << " at " << x << "," << y;
        }

    // A change of the system's colours reaching the view repaints it.
    ValidateRect(view, nullptr);
    SendMessageW(view, WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_TRUE(GetUpdateRect(view, nullptr, FALSE));
}
