#pragma once
#include <cstdint>

#include "core/card_document.h"

// An instrument of `count` samples all at `value`, played whole at decay 1.
inline Instrument* addFlatInstrument(CardDocument& document, uint32_t count, float value) {
    Instrument* instrument = appendInstrument(document);
    resizeBuffer(instrument->samples, count);
    for (uint32_t i = 0; i < count; ++i) instrument->samples.data[i] = value;
    instrument->start = 0;
    instrument->end = count;
    instrument->decay = 1;
    return instrument;
}

// Eight instruments of nine 1 KiB blocks: eight blocks more than a card holds.
inline void overfillCard(CardDocument& document) {
    for (int i = 0; i < 8; ++i) addFlatInstrument(document, 9 * 1024, 0.1f);
}
