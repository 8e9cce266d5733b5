#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "control_test_window.h"

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
    EXPECT_EQ(window.cursorAt(101, 90), arrow);  // the line below the handle
    EXPECT_EQ(window.cursorAt(300, 90), arrow);
    press(101, 3);
    move(150, 3);
    SetCapture(GetParent(view));  // as Alt+Tab or another window taking the mouse does
    EXPECT_EQ(GetCursor(), arrow);
    ReleaseCapture();
    moveAndRelease(180, 3);  // no longer a drag
    EXPECT_EQ(position(0), 150);
    window.capture();
    press(151, 3);
    move(180, 3);
    moveAndRelease(350, 3);  // beyond E: stops at its position
    press(300, 90);  // away from every handle: no drag
    moveAndRelease(310, 90);
    EXPECT_EQ(notified(), (Notified{{0, 150, 1}, {0, 150, 0}, {0, 180, 1}, {0, 200, 1}, {0, 200, 0}}));
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
// the drag or at its release: the view then leaves its freed state alone.
TEST(ViewDestroyedByItsParent, TouchesNothingOfItsStateAfterANotification) {
    std::vector<float> samples(418, 0.0f);
    for (bool atRelease : {false, true}) {
        ControlTestWindow window{kWaveformViewClass, L"", 420, 120};
        HWND view = window.control();
        SendMessageW(view, WV_ADDMARKER, 'S', 0);
        SendMessageW(view, WV_SETPRIMARY, WPARAM(samples.data()), LPARAM(samples.size()));
        SendMessageW(view, WV_SETMARKERPOS, 0, 100);
        window.capture();  // lays out the handle
        SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(101, 3));
        DestroyedInNotification destroyed(window);
        if (atRelease)
            SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(101, 3));
        else
            SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 3));
        window.pumpMessages();
        EXPECT_TRUE(destroyed.destroyed()) << atRelease;
        ASSERT_TRUE(destroyed.blockTaken()) << atRelease;
        EXPECT_TRUE(destroyed.untouched()) << atRelease;
        EXPECT_TRUE(destroyed.freedOnce()) << atRelease;
        EXPECT_EQ(GetCapture(), nullptr);
    }
}
