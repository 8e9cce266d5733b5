#pragma once
#include <cstdint>

#include "core/card_document.h"

// The Edit menu's Trim Silence and its two options, Snap Markers to Zero
// Crossings and Dither the Card's 8 Bits (both remembered, both off at first).

// Reads the options at start-up and shows their check marks.
void loadEditOptions();
void toggleSnapMarkers();
void toggleDitherCard();

// A Start (or End) about to be stored: on the nearest zero crossing when the
// option is on, else as it is. Within the range the field allows.
uint32_t snapMarker(const Instrument& instrument, bool start, uint32_t position);

// Trim Silence on the shown instrument: one undo step, and the status line
// says how many card bytes it saved.
void trimShownInstrument();
