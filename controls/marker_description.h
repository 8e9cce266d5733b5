#pragma once
#include <cstdint>

#include "core/text.h"

// How the waveform view's markers are named and read out to screen readers.

using MarkerText = WideBuffer<64>;

// Markers 0 and 1 are the start and the end ("Start marker", "End marker");
// any other goes by its label ("Marker X").
void writeMarkerName(MarkerText& text, uint32_t index, char16_t label);

// A position in samples and in time at the working rate of 37908 Hz: below a
// second in milliseconds to a tenth ("200 samples, 5.3 ms"), from there in
// seconds to a thousandth ("75816 samples, 2.000 s"), each rounded to the
// nearest. The unit changes where the milliseconds would round to 1000.0.
void writeMarkerValue(MarkerText& text, uint32_t position);
