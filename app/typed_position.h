#pragma once
#include <cstdint>

#include "core/text.h"

// A sample position typed into the Start or End field: decimal digits,
// spaces around them allowed. A number beyond low .. high counts as the
// nearer of the two. False when the text holds no number (empty, or anything
// but digits); `position` is then left as it was.
bool readTypedPosition(Utf16View text, uint32_t low, uint32_t high, uint32_t& position);
