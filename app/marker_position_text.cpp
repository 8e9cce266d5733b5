#include "app/marker_position_text.h"

#include "core/card_document.h"

void buildMarkerPositionText(MarkerPositionText& text, bool startMarker, uint32_t position) {
    clearText(text);
    appendText(text, viewOf(startMarker ? u"Start: " : u"End: "));
    appendUnsigned(text, position);
    appendText(text, viewOf(position == 1 ? u" sample, " : u" samples, "));
    uint64_t tenths = (uint64_t(position) * 10000 + kWorkingSampleRate / 2) / kWorkingSampleRate;
    appendUnsigned(text, uint32_t(tenths / 10));
    appendText(text, viewOf(u"."));
    appendUnsigned(text, uint32_t(tenths % 10));
    appendText(text, viewOf(u" ms"));
}
