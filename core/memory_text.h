#pragma once
#include <cstdint>

#include "core/card_document.h"
#include "core/text.h"

constexpr uint32_t kMemoryTextCapacity = 32;
using MemoryText = WideBuffer<kMemoryTextCapacity>;

// Recounts the card memory and builds the texts shown beside "Card Size:" and
// "Free Memory:" ("13312 Byte", "-1024 Byte"). Returns the free bytes, negative
// when the instruments need more than the card holds.
int32_t buildMemoryTexts(CardDocument& document, MemoryText& cardSize, MemoryText& freeMemory);
