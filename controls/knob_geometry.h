#pragma once
#include <cstdint>

#include "core/text.h"

// The rotary knob's arithmetic: layout, pointer, value text and typed values.

struct FloatRect {
    float x, y, width, height;
};

inline bool containsPoint(const FloatRect& r, float x, float y) {
    return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
}

struct KnobLayout {
    FloatRect knob;   // the dial; zero when the control is too low for one
    FloatRect value;  // the value text
    FloatRect label;  // the window text
};

// Dial on top, value and label lines under it, for a client of w x h pixels.
KnobLayout layoutKnob(int32_t width, int32_t height, uint32_t dpiY);

// The pointer's angle in radians, screen coordinates (y down): 135 degrees at
// the minimum, sweeping 270 degrees clockwise to the maximum; at the minimum
// when the range holds a single value.
double knobPointerAngle(double value, double minimum, double maximum);

// The pointer dot: its bounding square inside the dial.
FloatRect knobPointerDot(const FloatRect& knob, double angle);

// The knob's value clamped to its range; false when it does not change (by
// more than the double epsilon).
struct KnobValue {
    double minimum;
    double maximum;
    double value;
};
bool setKnobValue(KnobValue& knob, double v);

// The value with `decimals` digits after the separator, rounded half up on the magnitude.
template <uint32_t C>
void appendFixedPoint(WideBuffer<C>& text, double value, uint32_t decimals, char16_t separator);
void appendFixedPointUnits(char16_t* units, uint32_t& length, uint32_t capacity, double value, uint32_t decimals,
                           char16_t separator);
template <uint32_t C>
void appendFixedPoint(WideBuffer<C>& text, double value, uint32_t decimals, char16_t separator) {
    appendFixedPointUnits(text.units, text.length, C, value, decimals, separator);
}

// A typed number: sign ('-' or U+2212), digits, the separator; anything else is ignored.
double parseTypedValue(Utf16View text, char16_t separator);

// Each of red, green and blue raised by `amount`, at most 255.
uint32_t lightenColor(uint32_t argb, uint32_t amount);
