#pragma once
#include <cstdint>

#include "core/card_document.h"

// Markers on zero crossings: a sound that starts and ends where its wave
// crosses zero starts and ends without a click. The markers are snapped on
// the preview (prepareInstrumentPreview): the sound as it plays, boosted,
// and silent once the decay has run out.
//
// A position p (0 .. count) is on a zero crossing when the samples p - 1 and
// p do not lie strictly on one side of zero: one is negative and the other
// positive, or either is exactly zero. Samples outside the sound count as
// zero, so 0 and count are crossings, and so is every position inside
// silence (a run of exact zeros): a marker there stays. A start at p plays
// from sample p and an end at p stops after sample p - 1, so one rule serves both.

// 2 ms at the working rate (75.8 samples).
constexpr uint32_t kSnapWindowSamples = 76;

// The crossing nearest to `position`, at most kSnapWindowSamples away and
// within lowest .. highest (highest held to count); of two at the same
// distance, the earlier. `position` held to lowest .. highest when none is near.
uint32_t snapToZeroCrossing(const float* sound, uint32_t count, uint32_t position, uint32_t lowest, uint32_t highest);

inline uint32_t snapToZeroCrossing(const float* sound, uint32_t count, uint32_t position) {
    return snapToZeroCrossing(sound, count, position, 0, count);
}

// Start and end both snapped, keeping start <= end: the start within 0 .. end,
// then the end within the new start .. count; a span that held samples keeps
// at least one. The span is held to the sound first.
PlayedSpan snapPlayedSpan(const float* sound, uint32_t count, PlayedSpan span);
