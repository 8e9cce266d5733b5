#include "transfer/card_sound.h"

#include <cstring>

#include "import/resample.h"
#include "transfer/card_image.h"

ErrorCode prepareCardSound(const Instrument& instrument, const SampleBuffer& envelope, SampleBuffer& output,
                           bool dither) {
    const uint32_t count = instrument.samples.count;
    if (envelope.count != count) return ErrorCode::InvalidArgument;
    PlayedSpan span = playedSpan(instrument);
    uint32_t length = span.end - span.start;
    SampleBuffer card = {};
    ErrorCode code = prepareCardSamples(instrument, card);
    if (failed(code)) {
        releaseBuffer(card);
        return code;
    }
    code = resizeBuffer(output, count);
    if (failed(code)) {
        releaseBuffer(card);
        return code;
    }
    // The card holds the span at its own length; the padding after it is not played.
    uint32_t cardLength = cardSoundLength(instrument);
    if (dither) {
        CardDither noise = startCardDither();
        for (uint32_t i = 0; i < cardLength; ++i) card.data[i] = cardByteSample(ditheredCardByte(card.data[i], noise));
    } else {
        for (uint32_t i = 0; i < cardLength; ++i) card.data[i] = cardByteSample(cardSampleByte(card.data[i]));
    }
    float* played = output.data + span.start;
    if (count) memset(output.data, 0, sizeof(float) * count);
    if (instrument.downsample) {
        if (cardLength > 0)
            code = resample(card.data, cardLength, kTuneZeroSampleRate, played, length, kWorkingSampleRate);
    } else if (length > 0) {
        memcpy(played, card.data, sizeof(float) * length);
    }
    releaseBuffer(card);
    if (failed(code)) return code;
    for (uint32_t i = span.start; i < span.end; ++i) output.data[i] = output.data[i] * envelope.data[i];
    return ErrorCode::Ok;
}
