#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "control_test_window.h"
#include "controls/waveform_geometry.h"

namespace {

constexpr uint32_t kWaveform = 0xFFB41982;
constexpr uint32_t kPlayLine = 0xFFF39100;



struct View : ::testing::Test {
    ControlTestWindow window{kWaveformViewClass, L"", 420, 120};
    HWND view = window.control();
    std::vector<float> samples;
    std::vector<float> envelope;

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
};

}  // namespace

TEST_F(View, WithoutSamplesOnlyBackgroundBorderAndCentreLine) {
    SendMessageW(view, WV_SETMARKERPOS, 0, 100);
    SendMessageW(view, WV_SETPLAYPOSITION, 50, 0);
    std::vector<uint32_t> pixels = window.capture();
    EXPECT_EQ(window.pixel(pixels, 0, 0), systemColour(COLOR_BTNSHADOW));
    EXPECT_EQ(window.pixel(pixels, 419, 60), systemColour(COLOR_BTNSHADOW));
    EXPECT_EQ(window.pixel(pixels, 200, 59), systemColour(COLOR_BTNTEXT));  // the centre row of 119
    EXPECT_EQ(window.pixel(pixels, 200, 58), systemColour(COLOR_BTNFACE));
    EXPECT_EQ(window.pixel(pixels, 200, 30), systemColour(COLOR_BTNFACE));
    EXPECT_EQ(countColour(pixels, kWaveform, 40), 0);
    EXPECT_EQ(countColour(pixels, kPlayLine, 0), 0);
}

TEST_F(View, DrawsSamplesInTheWaveformColour) {
    showSeries(10000, 0.5f);  // a level line a quarter of the height above the centre
    std::vector<uint32_t> pixels = window.capture();
    int found = countColour(pixels, kWaveform, 60);
    EXPECT_GT(found, 300);
    float y = 1 + (117 - 1) * 0.5f - 0.5f * 117 * 0.5f;
    EXPECT_LE(colourDistance(window.pixel(pixels, 200, int(std::lround(y))), kWaveform), 120);
}

TEST_F(View, ShowsTheOverlayOnlyWhileVisible) {
    showSeries(10000, 0.0f);
    std::vector<uint32_t> hidden = window.capture();
    SendMessageW(view, WV_SHOWOVERLAY, 1, 0);
    std::vector<uint32_t> shown = window.capture();
    // the envelope of 1.0 fills from the top of the plot to its bottom
    EXPECT_EQ(window.pixel(hidden, 200, 30), systemColour(COLOR_BTNFACE));
    EXPECT_NE(window.pixel(shown, 200, 30), systemColour(COLOR_BTNFACE));
    SendMessageW(view, WV_SHOWOVERLAY, 0, 0);
    EXPECT_EQ(window.pixel(window.capture(), 200, 30), systemColour(COLOR_BTNFACE));
}

TEST_F(View, DrawsThePlayLineAtThePlayPosition) {
    showSeries(418, 0.0f);  // one pixel per sample
    SendMessageW(view, WV_SETPLAYPOSITION, 100, 0);
    std::vector<uint32_t> pixels = window.capture();
    EXPECT_EQ(window.pixel(pixels, 101, 30), kPlayLine);
    EXPECT_EQ(window.pixel(pixels, 102, 90), kPlayLine);
    EXPECT_NE(window.pixel(pixels, 104, 30), kPlayLine);
    SendMessageW(view, WV_SETPLAYPOSITION, WPARAM(-1), 0);
    EXPECT_EQ(countColour(window.capture(), kPlayLine, 0), 0);
}

TEST_F(View, MarkerPositionsAreClampedToTheirLimits) {
    SendMessageW(view, WV_SETMARKERMAX, 0, 300);
    SendMessageW(view, WV_SETMARKERPOS, 0, 500);
    EXPECT_EQ(SendMessageW(view, WV_GETMARKERPOS, 0, 0), 300);
    SendMessageW(view, WV_SETMARKERMIN, 1, 200);
    SendMessageW(view, WV_SETMARKERPOS, 1, 50);
    EXPECT_EQ(SendMessageW(view, WV_GETMARKERPOS, 1, 0), 200);
    EXPECT_EQ(SendMessageW(view, WV_GETMARKERPOS, 7, 0), 0);
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
    // S's handle sits on its line at x 101, at the top of the plot
    SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(101, 3));
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 3));
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(350, 3));  // beyond E: stops at its position
    SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(350, 3));
    ASSERT_EQ(window.markerNotifications.size(), 3u);
    EXPECT_EQ(window.markerNotifications[0].marker, 0);
    EXPECT_EQ(window.markerNotifications[0].position, 150u);
    EXPECT_EQ(window.markerNotifications[0].dragging, 1);
    EXPECT_EQ(window.markerNotifications[1].position, 200u);
    EXPECT_EQ(window.markerNotifications[2].dragging, 0);
    EXPECT_EQ(window.markerNotifications[2].position, 200u);
    // a press away from every handle starts no drag
    SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 90));
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(310, 90));
    SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(310, 90));
    EXPECT_EQ(window.markerNotifications.size(), 3u);
}

TEST_F(View, LosingTheCaptureEndsTheDragOnce) {
    showSeries(418, 0.0f);
    SendMessageW(view, WV_SETMARKERPOS, 0, 100);
    window.capture();
    window.cursorAt(300, 90);  // the pointer away from the handles
    SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(101, 3));
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 3));
    SetCapture(GetParent(view));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
    ReleaseCapture();
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 3));
    SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(200, 3));
    ASSERT_EQ(window.markerNotifications.size(), 2u);
    EXPECT_EQ(window.markerNotifications[1].dragging, 0);
    EXPECT_EQ(window.markerNotifications[1].position, 150u);
    EXPECT_EQ(SendMessageW(view, WV_GETMARKERPOS, 0, 0), 150);
}

TEST_F(View, ADragStopsSilentlyWhenItsMarkerOrTheSeriesGoes) {
    showSeries(418, 0.0f);
    SendMessageW(view, WV_SETMARKERPOS, 0, 100);
    SendMessageW(view, WV_SETMARKERPOS, 1, 300);
    window.capture();
    SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(101, 3));
    SendMessageW(view, WV_REMOVEMARKER, 0, 0);  // E moves down to index 0
    EXPECT_EQ(GetCapture(), nullptr);
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 3));
    SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(150, 3));
    EXPECT_EQ(SendMessageW(view, WV_GETMARKERPOS, 0, 0), 300);

    window.capture();
    SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(301, 3));
    SendMessageW(view, WV_SETPRIMARY, 0, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 3));
    SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(150, 3));
    EXPECT_EQ(SendMessageW(view, WV_GETMARKERPOS, 0, 0), 300);
    EXPECT_TRUE(window.markerNotifications.empty());
}

TEST_F(View, WithoutSamplesTheMarkersCannotBeGrabbed) {
    showSeries(418, 0.0f);
    SendMessageW(view, WV_SETMARKERPOS, 0, 100);
    window.capture();  // S's handle laid out over x 101
    SendMessageW(view, WV_SETPRIMARY, 0, 0);
    window.capture();
    SendMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(101, 3));
    EXPECT_EQ(GetCapture(), nullptr);
    SendMessageW(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 3));
    SendMessageW(view, WM_LBUTTONUP, 0, MAKELPARAM(150, 3));
    EXPECT_TRUE(window.markerNotifications.empty());
    EXPECT_EQ(window.cursorAt(101, 3), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(View, ShowsTheHandOverAHandleAndTheArrowElsewhere) {
    showSeries(418, 0.0f);
    SendMessageW(view, WV_SETMARKERPOS, 0, 100);
    window.capture();
    EXPECT_EQ(window.cursorAt(101, 3), LoadCursorW(nullptr, IDC_HAND));
    EXPECT_EQ(window.cursorAt(101, 90), LoadCursorW(nullptr, IDC_ARROW));  // the line below the handle
    EXPECT_EQ(window.cursorAt(300, 3), LoadCursorW(nullptr, IDC_ARROW));
}
