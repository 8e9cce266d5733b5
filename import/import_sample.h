#pragma once
#include <cstdint>

#include "core/card_document.h"
#include "core/error_code.h"
#include "core/text.h"

// The sample-file extensions the program knows, in order; "mp3" is offered
// by the file dialog and refused.
extern const char* const kSampleExtensions[5];

// The lowest sample rate a file may state. Converting to the working rate
// multiplies the frames by 37908 / rate: from a file at 1 Hz a few bytes
// would ask for megabytes. 4000 Hz still takes old tracker samples and
// telephone recordings, and bounds the converted samples at 38 bytes for
// every byte of an 8-bit mono file (under 2 for 16-bit at 44.1 kHz).
// Lower rates are refused with NotSupported.
constexpr uint32_t kMinImportSampleRate = 4000;

// Reads a WAV, AIFF or AIFC file into the instrument: converted to the
// working rate, normalised to -0.1 dBFS, named after the file when it has no
// name of its own, played from start to end, with a decay to match its
// length. A sound longer than an instrument may hold (kMaxInstrumentSamples
// at the working rate) gives TooLong; a sample encoding no reader decodes,
// UnsupportedEncoding. On failure the instrument is left exactly as it was.
ErrorCode importSample(Instrument& instrument, Utf8View path);

// The text after the last "." of the path (a "." in the last place does not count).
Utf8View pathExtension(Utf8View path);

// Compares two UTF-8 texts ignoring the case of Latin letters (and µ).
bool equalIgnoringCase(Utf8View a, Utf8View b);

// The decay, in units of 1024 samples, that covers a sample of `frames` frames.
uint8_t defaultDecay(uint32_t frames, bool downsample);
