#pragma once
#include "core/card_document.h"
#include "core/text.h"

constexpr uint32_t kCardFilePathCapacity = 260;

// The program-wide objects of the user-interface thread.
extern CardDocument cardDocument;
extern Utf8Buffer<kCardFilePathCapacity> cardFilePath;  // empty after New
