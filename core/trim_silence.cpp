#include "core/trim_silence.h"

#include <cmath>

TrimOutcome trimSilence(Instrument& instrument, float thresholdDb) {
    const float threshold = static_cast<float>(std::pow(10.0, double(thresholdDb) / 20.0));
    const float* samples = instrument.samples.data;
    PlayedSpan span = playedSpan(instrument);
    uint32_t footprint = instrumentFootprint(instrument);
    TrimOutcome outcome = {TrimResult::NothingLoud, footprint, footprint};
    // NaN samples never reach the threshold.
    auto loud = [&](uint32_t i) { return std::fabs(samples[i]) >= threshold; };
    uint32_t first = span.start;
    while (first < span.end && !loud(first)) ++first;
    if (first == span.end) return outcome;
    uint32_t last = span.end - 1;
    while (!loud(last)) --last;  // stops at `first` at the latest
    if (first == span.start && last + 1 == span.end && instrument.start == span.start && instrument.end == span.end) {
        outcome.result = TrimResult::NoSilence;
        return outcome;
    }
    instrument.start = first;
    instrument.end = last + 1;
    outcome.result = TrimResult::Trimmed;
    outcome.footprintAfter = instrumentFootprint(instrument);
    return outcome;
}
