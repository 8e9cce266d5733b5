#include <gtest/gtest.h>

#include <tuple>

#include "app/control_layout.h"

// 96 and 144 DPI, whole figures, are checked on the real window.
TEST(ControlLayout, ScalesEachFigureOnItsOwnAndTruncates) {
    ControlRect add = controlRect(Control::AddButton, {120, 120});
    // 23 x 1.25 = 28.75 and 173 x 1.25 = 216.25: cut, not rounded.
    EXPECT_EQ(std::make_tuple(add.x, add.y, add.width, add.height), std::make_tuple(12, 216, 28, 28));
    EXPECT_EQ(fontHeightForPoints(13, 96), -17);   // 17.33
    EXPECT_EQ(fontHeightForPoints(13, 120), -21);  // 21.67
}

// Every control inside the client area with its margin, and only the
// separators and the combo box's drop-down reaching over a neighbour.
TEST(ControlLayout, ControlsStayInsideTheClientAreaAndApart) {
    for (int32_t dpi : {96, 120, 144, 192}) {
        ClientSize client = mainClientSize({dpi, dpi});
        int32_t margin = scaleByDpi(10, dpi);
        for (uint32_t i = 0; i < kControlCount; ++i) {
            SCOPED_TRACE(testing::Message() << "control " << i << " at " << dpi);
            ControlRect r = controlRect(kControlTable[i], {dpi, dpi});
            EXPECT_GE(r.x, margin);
            EXPECT_GE(r.y, margin);
            EXPECT_LE(r.x + r.width, client.width - margin + 1);
            if (Control(i) != Control::WriterCombo) {
                EXPECT_LE(r.y + r.height, client.height - margin + 1);
            }
        }
    }
    for (uint32_t i = 0; i < kControlCount; ++i)
        for (uint32_t j = i + 1; j < kControlCount; ++j) {
            if (Control(i) == Control::WriterCombo || Control(j) == Control::WriterCombo) continue;
            ControlRect a = controlRect(kControlTable[i], {96, 96}), b = controlRect(kControlTable[j], {96, 96});
            EXPECT_FALSE(a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height)
                << "controls " << i << " and " << j << " overlap";
        }
}
