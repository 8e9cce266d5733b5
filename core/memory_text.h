#pragma once
#include <cstdint>

#include "core/card_document.h"
#include "core/text.h"
#include "core/trim_silence.h"

constexpr uint32_t kMemoryTextCapacity = 32;
using MemoryText = WideBuffer<kMemoryTextCapacity>;

// Recounts the card memory and builds the texts shown beside "Card Size:" and
// "Free Memory:" ("13312 Byte", "-1024 Byte"). Returns the free bytes, negative
// when the instruments need more than the card holds.
int32_t buildMemoryTexts(CardDocument& document, MemoryText& cardSize, MemoryText& freeMemory);

// What one instrument takes on the card: "4096 Byte".
void buildFootprintText(MemoryText& text, const Instrument& instrument);

constexpr uint32_t kCostTextCapacity = 64;
using CostText = WideBuffer<kCostTextCapacity>;

// What "Downsample to Tune 0" does to the instrument's footprint. While it is
// off: "Downsample would save 2048 Byte", "Downsample would cost 1024 Byte"
// (a short sound whose decay then needs a block of silence) or "Downsample
// would save nothing"; while it is on: "Downsample saves 2048 Byte",
// "Downsample costs 1024 Byte" or "Downsample saves nothing".
void buildDownsampleText(CostText& text, const Instrument& instrument);

// The outcome of Trim Silence for the status line: "Trim Silence saved 2048
// Byte", "No silence to trim", or "Nothing reaches -54 dBFS: nothing trimmed"
// (the threshold in whole dB).
void buildTrimText(CostText& text, const TrimOutcome& outcome, float thresholdDb);
