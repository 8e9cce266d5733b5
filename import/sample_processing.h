#pragma once
#include <cstdint>

#include "core/card_document.h"
#include "core/growable_buffers.h"

// The signed sample of largest magnitude; the first of equal maxima wins; 0 when empty.
float peakSample(const float* samples, uint32_t count);

// For loops that produce samples in parts (see parallel_parts.h): the
// largest magnitude of a range, NaN ignored; then the signed peak of the whole
// from each part's largest magnitude.
float largestMagnitude(const float* samples, uint32_t count);
float peakFromParts(const float* samples, uint32_t count, const float* largestPerPart, uint32_t parts);

// Scales so the peak reaches `target`, but only when |peak| lies in 0.01 .. 1.01.
void normalizePeak(float* samples, uint32_t count, float target, float peak);

// Drives the loudest sample `boost` dB above full scale and clips everything
// beyond -0.1 dBFS flat. Silence stays silence.
void applyBoost(float* samples, uint32_t count, float boost);

// The preview of an instrument: its samples boosted, then from the start
// point on faded linearly from 1 to 0 over the decay length. `envelope`
// holds each sample's gain (0 before the start point).
ErrorCode prepareInstrumentPreview(const Instrument& instrument, SampleBuffer& previewSamples,
                                   SampleBuffer& previewEnvelope);

// -0.1 dBFS: float(pow(10, -0.005)).
extern const float kPeakCeiling;
