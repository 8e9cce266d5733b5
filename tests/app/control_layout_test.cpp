#include <gtest/gtest.h>

#include "app/control_layout.h"

// Found by gtest through the argument's namespace: the global one.
static bool operator==(const ControlRect& a, const ControlRect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}
static std::ostream& operator<<(std::ostream& out, const ControlRect& r) {
    return out << "(" << r.x << ", " << r.y << ") " << r.width << " x " << r.height;
}

namespace {

bool overlaps(const ControlRect& a, const ControlRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

}  // namespace

// Figures worked out by hand from the window's drawing at 96 DPI; 96 and 144
// DPI are checked on the real window.
TEST(ControlLayout, ScalesEachFigureOnItsOwnAndTruncates) {
    // 23 x 1.25 = 28.75 and 173 x 1.25 = 216.25: cut, not rounded.
    EXPECT_EQ(controlRect(Control::AddButton, {120, 120}), (ControlRect{12, 216, 28, 28}));
    // x follows the horizontal DPI, y the vertical one.
    EXPECT_EQ(controlRect(Control::DecayKnob, {192, 96}), (ControlRect{1300, 200, 100, 90}));
}

TEST(ControlLayout, FontHeightsAreCutTowardZero) {
    EXPECT_EQ(fontHeightForPoints(10, 96), -13);   // 13.33
    EXPECT_EQ(fontHeightForPoints(10, 144), -20);
    EXPECT_EQ(fontHeightForPoints(13, 96), -17);   // 17.33
    EXPECT_EQ(fontHeightForPoints(13, 120), -21);  // 21.67
}

// Every control inside the client area with its margin, and only the
// separators and the combo box's drop-down reaching over a neighbour.
TEST(ControlLayout, ControlsStayInsideTheClientAreaAndApart) {
    for (int32_t dpi : {96, 120, 144, 192}) {
        ClientSize client = mainClientSize({dpi, dpi});
        for (uint32_t i = 0; i < kControlCount; ++i) {
            ControlRect r = controlRect(kControlTable[i], {dpi, dpi});
            EXPECT_GE(r.x, scaleByDpi(10, dpi)) << "control " << i << " at " << dpi;
            EXPECT_GE(r.y, scaleByDpi(10, dpi)) << "control " << i << " at " << dpi;
            EXPECT_LE(r.x + r.width, client.width - scaleByDpi(10, dpi) + 1) << "control " << i << " at " << dpi;
            if (Control(i) != Control::WriterCombo) {
                EXPECT_LE(r.y + r.height, client.height - scaleByDpi(10, dpi) + 1) << "control " << i;
            }
        }
    }
    for (uint32_t i = 0; i < kControlCount; ++i)
        for (uint32_t j = i + 1; j < kControlCount; ++j) {
            if (Control(i) == Control::WriterCombo || Control(j) == Control::WriterCombo) continue;
            EXPECT_FALSE(overlaps(controlRect(kControlTable[i], {96, 96}), controlRect(kControlTable[j], {96, 96})))
                << "controls " << i << " and " << j;
        }
}
