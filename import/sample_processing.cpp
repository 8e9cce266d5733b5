#include "import/sample_processing.h"

#include <cmath>
#include <cstring>

#include "core/parallel_parts.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <immintrin.h>
#define CORVANE_X86 1
#endif

const float kPeakCeiling = static_cast<float>(std::pow(10.0, -0.005));

float largestMagnitude(const float* samples, uint32_t count) {
    uint32_t i = 0;
    float largest = 0.0f;
#ifdef CORVANE_X86
    const __m128 absMask = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    __m128 a = _mm_setzero_ps(), b = _mm_setzero_ps();
    // maxps gives its second operand when either is NaN: NaN samples are skipped.
    for (; i + 8 <= count; i += 8) {
        a = _mm_max_ps(_mm_and_ps(_mm_loadu_ps(samples + i), absMask), a);
        b = _mm_max_ps(_mm_and_ps(_mm_loadu_ps(samples + i + 4), absMask), b);
    }
    float lanes[4];
    _mm_storeu_ps(lanes, _mm_max_ps(a, b));
    for (float lane : lanes) largest = lane > largest ? lane : largest;
#endif
    for (; i < count; ++i) {
        float m = std::fabs(samples[i]);
        if (m > largest) largest = m;
    }
    return largest;
}

// The first sample whose magnitude is `largest`, from `begin` on; `end` when none.
static uint32_t firstWithMagnitude(const float* samples, uint32_t begin, uint32_t end, float largest) {
    uint32_t i = begin;
#ifdef CORVANE_X86
    const __m128 absMask = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 wanted = _mm_set1_ps(largest);
    for (; i + 16 <= end; i += 16) {
        __m128 a = _mm_cmpeq_ps(_mm_and_ps(_mm_loadu_ps(samples + i), absMask), wanted);
        __m128 b = _mm_cmpeq_ps(_mm_and_ps(_mm_loadu_ps(samples + i + 4), absMask), wanted);
        __m128 c = _mm_cmpeq_ps(_mm_and_ps(_mm_loadu_ps(samples + i + 8), absMask), wanted);
        __m128 d = _mm_cmpeq_ps(_mm_and_ps(_mm_loadu_ps(samples + i + 12), absMask), wanted);
        if (_mm_movemask_ps(_mm_or_ps(_mm_or_ps(a, b), _mm_or_ps(c, d)))) break;
    }
#endif
    for (; i < end; ++i)
        if (std::fabs(samples[i]) == largest) return i;
    return end;
}

constexpr uint64_t kSamplesPerPart = 1u << 18;

float peakSample(const float* samples, uint32_t count) {
    // The largest magnitude, then the first sample that has it gives the sign
    // (the first of equal maxima wins). Each part searches its own range.
    float largest[kMaxParts] = {};
    uint32_t parts = partCount(count, kSamplesPerPart);
    forEachPart(count, parts, [&](uint64_t begin, uint64_t end, uint32_t part) {
        largest[part] = largestMagnitude(samples + begin, uint32_t(end - begin));
    });
    return peakFromParts(samples, count, largest, parts);
}

float peakFromParts(const float* samples, uint32_t count, const float* largest, uint32_t parts) {
    uint32_t best = 0;
    for (uint32_t part = 1; part < parts; ++part)
        if (largest[part] > largest[best]) best = part;
    if (largest[best] == 0.0f) return 0.0f;
    // Only the first part that holds the largest magnitude needs searching.
    uint32_t begin = uint32_t(uint64_t(count) * best / parts), end = uint32_t(uint64_t(count) * (best + 1) / parts);
    uint32_t first = firstWithMagnitude(samples, begin, end, largest[best]);
    return first < end ? samples[first] : 0.0f;
}

void normalizePeak(float* samples, uint32_t count, float target, float peak) {
    float a = std::fabs(peak);
    if (a < 0.01f || a > 1.01f) return;
    float gain = target / a;
    forEachPart(count, partCount(count, kSamplesPerPart), [=](uint64_t begin, uint64_t end, uint32_t) {
        for (uint64_t i = begin; i < end; ++i) samples[i] = samples[i] * gain;
    });
}

void applyBoost(float* samples, uint32_t count, float boost) {
    float level = static_cast<float>(std::pow(10.0, boost * 0.05));
    float p = std::fabs(peakSample(samples, count));
    // All silent: there is no peak to drive, and dividing by it would give infinities.
    if (p == 0.0f) return;
    float gain = level / p;
    const float c = kPeakCeiling;
    for (uint32_t i = 0; i < count; ++i) {
        float y = samples[i] * gain;
        samples[i] = y < -c ? -c : (y > c ? c : y);
    }
}

ErrorCode prepareInstrumentPreview(const Instrument& instrument, SampleBuffer& previewSamples,
                                   SampleBuffer& previewEnvelope) {
    const uint32_t count = instrument.samples.count;
    ErrorCode code = resizeBuffer(previewSamples, count);
    if (!failed(code)) code = resizeBuffer(previewEnvelope, count);
    if (failed(code)) return code;
    if (count) memcpy(previewSamples.data, instrument.samples.data, sizeof(float) * count);
    uint32_t start = instrument.start < count ? instrument.start : count;
    float* samples = previewSamples.data;
    float* envelope = previewEnvelope.data;
    for (uint32_t i = 0; i < start; ++i) envelope[i] = 0.0f;
    if (instrument.boost != 0) applyBoost(samples, count, static_cast<float>(instrument.boost));

    const float step = 1.0f / static_cast<float>(decayLength(instrument));
    float g = 1.0f;
    uint32_t i = start;
    // The gain falls by one step per sample until it reaches 0...
    for (; i < count && g > 0.0f; ++i) {
        samples[i] = samples[i] * g;
        envelope[i] = g;
        g = g - step;
        if (g < 0.0f) g = 0.0f;
    }
    // ...and stays there.
    for (; i < count; ++i) {
        samples[i] = samples[i] * 0.0f;
        envelope[i] = 0.0f;
    }
    return ErrorCode::Ok;
}
