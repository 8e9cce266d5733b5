#pragma once
#include <cstdint>

#include "core/text.h"
#include "transfer/card_writer_record.h"

constexpr uint32_t kDeviceLabelCapacity = 64;

// The model name for a card model code; unknown codes give "Voxtile ???".
const char* modelName(uint8_t modelCode);

// "<model name> (<display number>)", each piece cut to the room left.
template <uint32_t C>
void deviceLabel(const CardWriterRecord& record, Utf8Buffer<C>& label) {
    clearText(label);
    appendText(label, viewOf(modelName(record.cardModel)));
    appendText(label, viewOf(" ("));
    appendUnsigned(label, record.displayNumber);
    appendText(label, viewOf(")"));
}
