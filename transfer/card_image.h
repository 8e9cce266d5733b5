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
ErrorCode buildCardImage(const CardDocument& document, uint8_t* image, uint32_t size);

// The instrument's played span as it goes to the card: converted to the Tune 0
// rate when downsampled, padded with silence to a multiple of 1024, boosted.
ErrorCode prepareCardSamples(const Instrument& instrument, SampleBuffer& output);

// One sample as a card byte: offset binary with the polarity inverted
// (0.0 -> 0x80, +1.0 -> 0x00, -0.5 -> 0xC0), saturating outside -1 .. +1.
uint8_t cardSampleByte(float sample);

// A card byte as the instrument plays it back: (128 - byte) / 128, so
// 0x80 -> 0.0, 0x00 -> +1.0, 0xFF -> -0.9921875.
float cardByteSample(uint8_t byte);
