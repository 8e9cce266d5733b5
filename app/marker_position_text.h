#pragma once
#include <cstdint>

#include "core/text.h"

constexpr uint32_t kMarkerPositionTextCapacity = 64;
using MarkerPositionText = WideBuffer<kMarkerPositionTextCapacity>;

// What the status line says while a marker is dragged: "Start: 1234 samples,
// 32.6 ms" (the time at the working rate, to a tenth of a millisecond).
void buildMarkerPositionText(MarkerPositionText& text, bool startMarker, uint32_t position);
