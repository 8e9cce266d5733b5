#pragma once
#include <cstdint>

#include "core/card_document.h"

// Trim Silence: Start moves to the first sample and End to one past the last
// sample whose level reaches a threshold, so the card carries no silence
// before and after the sound. The level is the magnitude of the instrument's
// samples as imported (normalised to -0.1 dBFS): the boost only raises the
// peak and the decay only fades the copy that plays, so neither decides where
// the sound is. Only the span between Start and End is searched: a trim never
// brings back what the markers cut off.

constexpr float kDefaultTrimThresholdDb = -54.0f;

enum class TrimResult : uint8_t {
    Trimmed,     // Start or End moved
    NoSilence,   // the span begins and ends with samples that reach the threshold
    NothingLoud, // no sample of the span reaches the threshold: nothing changes
};

struct TrimOutcome {
    TrimResult result;
    // instrumentFootprint before and after; the card bytes saved are the
    // difference, never negative (a shorter span never needs more blocks).
    uint32_t footprintBefore;
    uint32_t footprintAfter;
};

// `thresholdDb` in dBFS (0 dB is full scale); a sample reaches it when its
// magnitude is at least 10^(thresholdDb / 20).
TrimOutcome trimSilence(Instrument& instrument, float thresholdDb);
