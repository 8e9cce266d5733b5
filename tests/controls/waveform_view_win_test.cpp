#include <gtest/gtest.h>

#include <vector>

#include "control_test_window.h"

namespace {

constexpr uint32_t kWaveform = 0xFFB41982;
constexpr uint32_t kPlayLine = 0xFFF39100;

struct View : ::testing::Test {
    ControlTestWindow window{kWaveformViewClass, L"", 420, 120};
    HWND view = window.control();
    std::vector<float> samples;
    std::vector<float> envelope;
    const uint32_t face = systemColour(COLOR_BTNFACE);

    void SetUp() override {
        SendMessageW(view, WV_ADDMARKER, 'S', 0);
        SendMessageW(view, WV_ADDMARKER, 'E', 0);
    }
    void showSeries(uint32_t count, float level) {
        samples.assign(count, level);
        envelope.assign(count, 1.0f);
        SendMessageW(view, WV_SETPRIMARY, WPARAM(samples.data()), LPARAM(count));
        SendMessageW(view, WV_SETOVERLAY, WPARAM(envelope.data()), LPARAM(count));
    }
    int countColour(const std::vector<uint32_t>& pixels, uint32_t colour, int tolerance) {
        int found = 0;
        for (int y = 0; y < window.height(); ++y)
            for (int x = 0; x < window.width(); ++x) found += colourDistance(window.pixel(pixels, x, y), colour) <= tolerance;
        return found;
    }
    void press(int x, int y) { SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    void moveAndRelease(int x, int y) {
        SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    LRESULT position(int marker) { return SendMessageW(view, WV_GETMARKERPOS, marker, 0); }
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

TEST_F(View, DrawsTheSamplesThePlayLineAndTheOverlayWhileVisible) {
    showSeries(418, 0.5f);  // one pixel a sample; a level line a quarter of the height above the centre
    SendMessageW(view, WV_SETPLAYPOSITION, 100, 0);
    std::vector<uint32_t> pixels = window.capture();
    EXPECT_GT(countColour(pixels, kWaveform, 60), 300);
    float y = 1 + (117 - 1) * 0.5f - 0.5f * 117 * 0.5f;
    EXPECT_LE(colourDistance(window.pixel(pixels, 200, int(y + 0.5f)), kWaveform), 120);
    EXPECT_EQ(window.pixel(pixels, 101, 90), kPlayLine);
    EXPECT_EQ(window.pixel(pixels, 102, 90), kPlayLine);
    EXPECT_NE(window.pixel(pixels, 104, 90), kPlayLine);
    EXPECT_EQ(window.pixel(pixels, 200, 90), face);
    SendMessageW(view, WV_SHOWOVERLAY, 1, 0);  // the envelope of 1.0 fills the plot's height
    EXPECT_NE(window.pixel(window.capture(), 200, 90), face);
    SendMessageW(view, WV_SHOWOVERLAY, 0, 0);
    SendMessageW(view, WV_SETPLAYPOSITION, WPARAM(-1), 0);
    pixels = window.capture();
    EXPECT_EQ(window.pixel(pixels, 200, 90), face);
    EXPECT_EQ(countColour(pixels, kPlayLine, 0), 0);
}

TEST_F(View, MarkerPositionsAreClampedToTheirLimits) {
    SendMessageW(view, WV_SETMARKERMAX, 0, 300);
    SendMessageW(view, WV_SETMARKERPOS, 0, 500);
    EXPECT_EQ(position(0), 300);
    SendMessageW(view, WV_SETMARKERMIN, 1, 200);
    SendMessageW(view, WV_SETMARKERPOS, 1, 50);
    EXPECT_EQ(position(1), 200);
    EXPECT_EQ(position(7), 0);
    for (int i = 2; i < 8; ++i) EXPECT_EQ(SendMessageW(view, WV_ADDMARKER, 'A' + i, 0), i);
    EXPECT_EQ(SendMessageW(view, WV_ADDMARKER, 'Z', 0), 0xFFFF);
}

TEST_F(View, DraggingAMarkerNotifiesDuringTheDragAndAtRelease) {
    showSeries(418, 0.0f);
    SendMessageW(view, WV_SETMARKERMAX, 0, 200);
    SendMessageW(view, WV_SETMARKERPOS, 0, 100);
    SendMessageW(view, WV_SETMARKERMIN, 1, 100);
    SendMessageW(view, WV_SETMARKERPOS, 1, 200);
    window.capture();  // lays out the handles
    press(101, 3);     // S's handle sits on its line at x 101, at the top of the plot
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 3));
    moveAndRelease(350, 3);  // beyond E: stops at its position
    ASSERT_EQ(window.markerNotifications.size(), 3u);
    EXPECT_EQ(window.markerNotifications[0].marker, 0);
    EXPECT_EQ(window.markerNotifications[0].position, 150u);
    EXPECT_EQ(window.markerNotifications[0].dragging, 1);
    EXPECT_EQ(window.markerNotifications[1].position, 200u);
    EXPECT_EQ(window.markerNotifications[2].dragging, 0);
    EXPECT_EQ(window.markerNotifications[2].position, 200u);
    press(300, 90);  // away from every handle: no drag
    moveAndRelease(310, 90);
    EXPECT_EQ(window.markerNotifications.size(), 3u);
}

TEST_F(View, ShowsTheHandOverAHandleAndEndsADragOnceWhenTheCaptureGoes) {
    showSeries(418, 0.0f);
    SendMessageW(view, WV_SETMARKERPOS, 0, 100);
    window.capture();
    EXPECT_EQ(window.cursorAt(101, 3), LoadCursorW(nullptr, IDC_HAND));
    EXPECT_EQ(window.cursorAt(101, 90), LoadCursorW(nullptr, IDC_ARROW));  // the line below the handle
    EXPECT_EQ(window.cursorAt(300, 90), LoadCursorW(nullptr, IDC_ARROW));
    press(101, 3);
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 3));
    SetCapture(GetParent(view));  // as Alt+Tab or another window taking the mouse does
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
    ReleaseCapture();
    moveAndRelease(200, 3);
    ASSERT_EQ(window.markerNotifications.size(), 2u);
    EXPECT_EQ(window.markerNotifications[1].dragging, 0);
    EXPECT_EQ(window.markerNotifications[1].position, 150u);
    EXPECT_EQ(position(0), 150);
}

TEST_F(View, NothingIsDraggedWithoutTheSeriesOrTheMarker) {
    showSeries(418, 0.0f);
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
    moveAndRelease(150, 3);
    EXPECT_EQ(window.cursorAt(301, 3), LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_TRUE(window.markerNotifications.empty());
}
