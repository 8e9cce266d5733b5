#include "controls/knob_geometry.h"

#include <cmath>
#include <cfloat>

KnobLayout layoutKnob(int32_t width, int32_t height, uint32_t dpiY) {
    KnobLayout layout = {};
    float lineHeight = float(dpiY) * 21 / 96;
    float gap = float(dpiY) * 4 / 96;
    float reserved = 2 * lineHeight + gap;
    float w = float(width), h = float(height);
    float diameter = 0;
    if (reserved < h) {
        diameter = h - reserved;
        if (w <= diameter) diameter = w - 2;
        layout.knob = {(w - diameter) / 2, 1, diameter, diameter};
    }
    layout.value = {0, diameter + gap, w, lineHeight};
    layout.label = {0, diameter + gap + lineHeight, w, lineHeight};
    return layout;
}

double knobPointerAngle(double value, double minimum, double maximum) {
    const double pi = 3.14159265358979323846;
    // A range of a single value has nowhere to sweep: the pointer rests at the minimum.
    double sweep = maximum > minimum ? (value - minimum) * 270 / (maximum - minimum) : 0;
    return (sweep + 135) * pi / 180;
}

FloatRect knobPointerDot(const FloatRect& knob, double angle) {
    float radius = (knob.width / 2) / 6.25f;
    float distance = knob.width / 2 - 2.5f * radius;
    float cx = knob.x + knob.width / 2, cy = knob.y + knob.height / 2;
    return {cx + distance * float(std::cos(angle)) - radius, cy + distance * float(std::sin(angle)) - radius,
            2 * radius, 2 * radius};
}

bool setKnobValue(KnobValue& knob, double v) {
    if (knob.minimum > v)
        v = knob.minimum;
    else if (v > knob.maximum)
        v = knob.maximum;
    if (std::fabs(knob.value - v) <= DBL_EPSILON) return false;
    knob.value = v;
    return true;
}

void appendFixedPointUnits(char16_t* units, uint32_t& length, uint32_t capacity, double value, uint32_t decimals,
                           char16_t separator) {
    uint32_t d = decimals < 9 ? decimals : 9;
    double magnitude = value < 0 ? -value : value;
    double scaled = magnitude * std::pow(10.0, d) + 0.5;
    uint64_t n = scaled >= 1.8446744073709552e19 ? UINT64_MAX : static_cast<uint64_t>(scaled);
    bool negative = value < 0 && n != 0;  // what rounds to zero is shown without a sign
    char16_t reversed[40];
    uint32_t count = 0;
    uint32_t digits = 0;
    do {
        reversed[count++] = static_cast<char16_t>(u'0' + n % 10);
        n /= 10;
        if (++digits == d && d > 0) reversed[count++] = separator;
    } while ((n != 0 || (d > 0 && count < d + 2)) && count < 38);
    if (negative && length < capacity) units[length++] = u'-';
    while (count > 0 && length < capacity) units[length++] = reversed[--count];
}

double parseTypedValue(Utf16View text, char16_t separator) {
    uint32_t i = 0;
    while (i < text.length && text.units[i] == u' ') ++i;
    if (i == text.length) return 0.0;
    double sign = (text.units[i] == u'-' || text.units[i] == u'\u2212') ? -1.0 : 1.0;
    double accumulated = 0.0, scale = 0.1;
    bool fraction = false;
    for (; i < text.length; ++i) {
        char16_t c = text.units[i];
        if (c == separator) {
            fraction = true;
        } else if (c >= u'0' && c <= u'9') {
            if (!fraction) {
                accumulated = accumulated * 10 + (c - u'0');
            } else {
                accumulated += (c - u'0') * scale;
                scale /= 10;
            }
        }
    }
    return sign * accumulated;
}

uint32_t lightenColor(uint32_t argb, uint32_t amount) {
    uint32_t result = argb & 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        uint32_t channel = ((argb >> shift) & 0xFF) + amount;
        result |= (channel > 255 ? 255 : channel) << shift;
    }
    return result;
}
