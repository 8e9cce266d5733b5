#include "controls/marker_description.h"

#include "core/card_document.h"

void writeMarkerName(MarkerText& text, uint32_t index, char16_t label) {
    clearText(text);
    if (index == 0) {
        appendText(text, viewOf(u"Start marker"));
    } else if (index == 1) {
        appendText(text, viewOf(u"End marker"));
    } else {
        appendText(text, viewOf(u"Marker "));
        appendUnit(text, label);
    }
}

// A whole number of `units` and its last `decimals` digits after a point.
static void appendDecimal(MarkerText& text, uint64_t units, uint32_t decimals) {
    uint32_t divisor = 1;
    for (uint32_t i = 0; i < decimals; ++i) divisor *= 10;
    appendUnsigned(text, uint32_t(units / divisor));
    appendText(text, viewOf(u"."));
    const uint32_t fraction = uint32_t(units % divisor);
    for (uint32_t digit = divisor / 10; digit > 1 && fraction < digit; digit /= 10) appendText(text, viewOf(u"0"));
    appendUnsigned(text, fraction);
}

void writeMarkerValue(MarkerText& text, uint32_t position) {
    clearText(text);
    appendUnsigned(text, position);
    appendText(text, viewOf(position == 1 ? u" sample, " : u" samples, "));
    const uint64_t tenthsOfMilliseconds = (uint64_t(position) * 10000 + kWorkingSampleRate / 2) / kWorkingSampleRate;
    if (tenthsOfMilliseconds < 10000) {
        appendDecimal(text, tenthsOfMilliseconds, 1);
        appendText(text, viewOf(u" ms"));
        return;
    }
    const uint64_t milliseconds = (uint64_t(position) * 1000 + kWorkingSampleRate / 2) / kWorkingSampleRate;
    appendDecimal(text, milliseconds, 3);
    appendText(text, viewOf(u" s"));
}
