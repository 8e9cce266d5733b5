#pragma once
#include <cstdint>

#include "core/error_code.h"
#include "core/growable_buffers.h"
#include "core/shared_samples.h"
#include "core/text.h"

constexpr uint32_t kMaxInstruments = 8;
constexpr uint32_t kCardCapacity = 65536;
// The card is laid out in blocks of 1024 bytes: the header is one block, and
// every instrument starts on a block boundary. The writer sends one block a time.
constexpr uint32_t kCardBlockBytes = 1024;
constexpr uint32_t kCardHeaderBytes = kCardBlockBytes;
constexpr uint32_t kNameCapacity = 8;
constexpr uint16_t kDefaultCardCode = 0x0F01;

// Every instrument sample in memory runs at the working rate; a downsampled
// instrument goes to the card at the Tune 0 rate, exactly two thirds of it.
constexpr uint32_t kWorkingSampleRate = 37908;
constexpr uint32_t kTuneZeroSampleRate = 25272;

// The most samples an instrument may hold: 2^24, 7 minutes 22 seconds at
// the working rate, far beyond anything the card takes. The import refuses
// longer sounds, so every card-file the program writes (at most eight such
// instruments, 512 MiB) can be read again.
constexpr uint32_t kMaxInstrumentSamples = 1u << 24;

constexpr uint8_t kMinDecay = 1;
constexpr uint8_t kMaxDecay = 255;
constexpr uint8_t kMaxBoost = 10;

inline uint64_t roundUpToBlock(uint64_t bytes) { return (bytes + kCardBlockBytes - 1) / kCardBlockBytes * kCardBlockBytes; }

using NameBuffer = Utf8Buffer<kNameCapacity>;

// An all-zero record is the empty instrument.
struct Instrument {
    NameBuffer name;
    bool downsample;
    uint8_t boost;  // dB, 0..10
    uint8_t decay;  // units of 1024 samples, 1..255 (0 until first set)
    uint32_t start; // first sample played
    uint32_t end;   // one past the last sample played
    SharedSamples samples;
};

struct InstrumentArray {
    Instrument* items;
    uint32_t count;
    uint32_t capacity;
};

struct CardDocument {
    NameBuffer name;
    uint16_t cardCode;
    bool headerFlag;
    InstrumentArray instruments;
    uint32_t usedBytes;
    bool modified;
};

// List operations. None sets `modified`: the caller does.
// Append and insert return null when memory is exhausted.
Instrument* appendInstrument(CardDocument& document);
Instrument* insertInstrument(CardDocument& document, uint32_t index);
void removeInstrument(CardDocument& document, uint32_t index);
void clearInstruments(CardDocument& document);
void moveInstrument(CardDocument& document, uint32_t from, uint32_t to);
Instrument* instrumentAt(CardDocument& document, uint32_t index);
const Instrument* instrumentAt(const CardDocument& document, uint32_t index);

// The "+" button: appends "Inst <count>" while fewer than eight instruments
// exist; null when the card is full or memory is exhausted.
Instrument* addNamedInstrument(CardDocument& document);

void resetDocument(CardDocument& document);
// Takes name, code, flag and instruments of a freshly read document; `fresh` is left empty.
void replaceDocument(CardDocument& document, CardDocument& fresh);
// Releases all storage; the document is left as after resetDocument.
void releaseDocument(CardDocument& document);

void setCardName(CardDocument& document, Utf16View text);
void setInstrumentName(Instrument& instrument, Utf16View text);

// Recomputes usedBytes and returns the free bytes, negative when over the card.
int32_t recountUsage(CardDocument& document);

// Decay and boost as a knob takes them: the whole part of the value, held to
// 1..255 and 0..10 (NaN gives the lower bound).
uint8_t clampDecay(double value);
uint8_t clampBoost(double value);

// The played span within the samples: end at most the sample count, start at most end.
struct PlayedSpan {
    uint32_t start;
    uint32_t end;
};
PlayedSpan clampPlayedSpan(uint32_t start, uint32_t end, uint32_t sampleCount);
inline PlayedSpan playedSpan(const Instrument& instrument) {
    return clampPlayedSpan(instrument.start, instrument.end, instrument.samples.count);
}

uint32_t decayLength(const Instrument& instrument);
uint32_t instrumentFootprint(const Instrument& instrument);
// The footprint the instrument would have with "Downsample to Tune 0" set as given.
uint32_t footprintWithDownsample(const Instrument& instrument, bool downsample);
