#pragma once
#include <cstdint>

#include "core/card_document.h"
#include "core/error_code.h"
#include "core/growable_buffers.h"

// The card image is the kCardCapacity bytes stored on the card: a 1024-byte
// header (identification, card name, an eight-slot directory) and the
// instruments as 8-bit samples, each on a 1024-byte boundary, the rest 0xFF.

// Fills `size` bytes of `image`. BufferTooSmall when the instruments need
// more room than the image has (or the image is smaller than a card).
// `dither`: each instrument's sound goes to 8 bits with triangular dither
// (ditheredCardByte); without it every sample is truncated (cardSampleByte).
ErrorCode buildCardImage(const CardDocument& document, uint8_t* image, uint32_t size, bool dither);

// The instrument's played span as it goes to the card: converted to the Tune 0
// rate when downsampled, padded with silence to a multiple of 1024, boosted.
ErrorCode prepareCardSamples(const Instrument& instrument, SampleBuffer& output);

// The number of samples of the instrument's sound on the card, before the
// padding: the played span, two thirds of it when downsampled.
uint32_t cardSoundLength(const Instrument& instrument);

// One sample as a card byte: offset binary with the polarity inverted
// (0.0 -> 0x80, +1.0 -> 0x00, -0.5 -> 0xC0), saturating outside -1 .. +1.
uint8_t cardSampleByte(float sample);

// A card byte as the instrument plays it back: (128 - byte) / 128, so
// 0x80 -> 0.0, 0x00 -> +1.0, 0xFF -> -0.9921875.
float cardByteSample(uint8_t byte);

// Triangular dither for the 8-bit conversion: two uniform values of one step
// each, subtracted, added before truncation, so each byte lies at most one
// step from the plain one and the error no longer follows the signal. The
// sequence is fixed: every instrument's sound takes it from its first sample
// on, so an instrument's bytes depend on nothing but the instrument (not its
// place on the card, not the others), the same card always gives the same
// image, and "Hear as on the Card" can make one instrument's bytes alone.
// The padding behind the sound stays plain silence.
struct CardDither {
    uint32_t state;
};
CardDither startCardDither();
// The next sample of the sequence: the sample's card byte with the next noise value.
uint8_t ditheredCardByte(float sample, CardDither& dither);
