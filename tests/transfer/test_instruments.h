#pragma once
#include <cstdint>

#include "core/card_document.h"

// An instrument of `count` samples all at `value`, played whole at decay 1.
inline Instrument* addFlatInstrument(CardDocument& document, uint32_t count, float value) {
    Instrument* instrument = appendInstrument(document);
    float* samples = nullptr;
    makeSamples(instrument->samples, count, samples);
    for (uint32_t i = 0; i < count; ++i) samples[i] = value;
    instrument->start = 0;
    instrument->end = count;
    instrument->decay = 1;
    return instrument;
}

// The samples of an instrument just made, which nothing else holds yet, to change them.
inline float* freshSamples(Instrument& instrument) {
    return sampleHolders(instrument.samples) == 1 ? const_cast<float*>(instrument.samples.data) : nullptr;
}

// Eight instruments of nine 1 KiB blocks: eight blocks more than a card holds.
inline void overfillCard(CardDocument& document) {
    for (int i = 0; i < 8; ++i) addFlatInstrument(document, 9 * 1024, 0.1f);
}
