#include "import/zero_crossing.h"

static float sampleAt(const float* sound, uint32_t count, int64_t i) { return i >= 0 && i < count ? sound[i] : 0.0f; }

static bool crossingAt(const float* sound, uint32_t count, uint32_t p) {
    float before = sampleAt(sound, count, int64_t(p) - 1), after = sampleAt(sound, count, p);
    bool sameSide = (before > 0.0f && after > 0.0f) || (before < 0.0f && after < 0.0f);
    return !sameSide;
}

uint32_t snapToZeroCrossing(const float* sound, uint32_t count, uint32_t position, uint32_t lowest, uint32_t highest) {
    if (highest > count) highest = count;
    if (lowest > highest) lowest = highest;
    if (position < lowest) position = lowest;
    if (position > highest) position = highest;
    for (uint32_t distance = 0; distance <= kSnapWindowSamples; ++distance) {
        if (position - lowest >= distance && crossingAt(sound, count, position - distance)) return position - distance;
        if (highest - position >= distance && crossingAt(sound, count, position + distance)) return position + distance;
    }
    return position;
}

PlayedSpan snapPlayedSpan(const float* sound, uint32_t count, PlayedSpan span) {
    span = clampPlayedSpan(span.start, span.end, count);
    uint32_t keep = span.start < span.end ? 1 : 0;  // a sound never snaps away to nothing
    span.start = snapToZeroCrossing(sound, count, span.start, 0, span.end - keep);
    span.end = snapToZeroCrossing(sound, count, span.end, span.start + keep, count);
    return span;
}
