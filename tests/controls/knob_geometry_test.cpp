#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "controls/knob_geometry.h"

static std::u16string fixed(double value, uint32_t decimals, char16_t separator = u'.') {
    WideBuffer<128> text = {};
    appendFixedPoint(text, value, decimals, separator);
    return std::u16string(text.units, text.length);
}

static double typed(const char16_t* text, char16_t sep = u'.') { return parseTypedValue(viewOf(text), sep); }

// Every value here is exact in binary, so the rectangles compare exactly.
static std::tuple<float, float, float, float> box(const FloatRect& r) { return {r.x, r.y, r.width, r.height}; }

TEST(KnobLayout, DialOnTopTextLinesUnderItScaledByTheDpi) {
    KnobLayout layout = layoutKnob(50, 90, 96);
    EXPECT_EQ(box(layout.knob), box({3, 1, 44, 44}));
    EXPECT_EQ(box(layout.value), box({0, 48, 50, 21}));
    EXPECT_EQ(box(layout.label), box({0, 69, 50, 21}));
    KnobLayout big = layoutKnob(75, 135, 144);  // the same knob at 150 %
    EXPECT_EQ(box(big.knob), box({4.5f, 1, 66, 66}));
    KnobLayout low = layoutKnob(50, 46, 96);  // 2 x 21 + 4 = 46: no room for a dial
    EXPECT_EQ(box(low.knob), box({0, 0, 0, 0}));
    EXPECT_EQ(box(low.value), box({0, 4, 50, 21}));
    KnobLayout narrow = layoutKnob(30, 90, 96);  // narrower than the dial would be high
    EXPECT_EQ(box(narrow.knob), box({1, 1, 28, 28}));
}

TEST(KnobPointer, Spans270DegreesFromLowerLeftToLowerRight) {
    const double degree = 3.14159265358979323846 / 180;
    EXPECT_NEAR(knobPointerAngle(1, 1, 255), 135 * degree, 1e-12);
    EXPECT_NEAR(knobPointerAngle(255, 1, 255), 405 * degree, 1e-12);
    EXPECT_NEAR(knobPointerAngle(5, 5, 5), 135 * degree, 1e-12);  // a range of one value: at the minimum
    // In the dial (3, 1, 44, 44): a dot of radius 3.52, 13.2 from the centre (25, 23).
    FloatRect lowerLeft = knobPointerDot({3, 1, 44, 44}, 135 * degree);
    EXPECT_NEAR(lowerLeft.x, 25 - 9.3338 - 3.52, 1e-3);
    EXPECT_NEAR(lowerLeft.y, 23 + 9.3338 - 3.52, 1e-3);
    EXPECT_FLOAT_EQ(lowerLeft.width, 7.04f);
}

TEST(FixedPoint, RoundsHalfUpOnTheMagnitude) {
    EXPECT_EQ(fixed(0.05, 2, u','), u"0,05");
    EXPECT_EQ(fixed(-2.5, 0), u"-3");
    EXPECT_EQ(fixed(-0.001, 2), u"0.00");  // no sign on a value that rounds to zero
    EXPECT_EQ(fixed(-0.4, 0), u"0");
    EXPECT_EQ(fixed(12.345, 2), u"12.35");
    EXPECT_EQ(fixed(1.5, 12), u"1.500000000");  // at most 9 decimals
    WideBuffer<3> small = {};
    appendFixedPoint(small, -123.0, 0, u'.');
    EXPECT_EQ(std::u16string(small.units, small.length), u"-12");
}

TEST(TypedValue, ReadsSignDigitsAndTheSeparator) {
    EXPECT_EQ(typed(u"12,5", u','), 12.5);
    EXPECT_EQ(typed(u"\u22122"), -2);
    EXPECT_EQ(typed(u"   "), 0);
    EXPECT_EQ(typed(u"  -7"), -7);  // the sign after the spaces
    EXPECT_EQ(typed(u"1.2.3"), 1.23);  // a second separator changes nothing
    EXPECT_EQ(typed(u"4x2"), 42);      // other characters are ignored
}

TEST(LightenColor, RaisesEachChannelUpToFull) {
    EXPECT_EQ(lightenColor(0x80F0A010, 64), 0x80FFE050u);
}
