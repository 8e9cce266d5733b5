#include "core/card_document.h"

#include <cstdlib>
#include <cstring>

static void releaseInstrument(Instrument& instrument) { releaseSamples(instrument.samples); }

static bool growForOneMore(InstrumentArray& array) {
    if (array.count + 1 <= array.capacity) return true;
    uint32_t capacity = array.count ? array.count * 2 : 2;
    auto* items = static_cast<Instrument*>(realloc(array.items, sizeof(Instrument) * capacity));
    if (!items) return false;
    array.items = items;
    array.capacity = capacity;
    return true;
}

Instrument* appendInstrument(CardDocument& document) {
    InstrumentArray& array = document.instruments;
    if (!growForOneMore(array)) return nullptr;
    Instrument* record = &array.items[array.count++];
    memset(record, 0, sizeof(Instrument));
    return record;
}

Instrument* insertInstrument(CardDocument& document, uint32_t index) {
    InstrumentArray& array = document.instruments;
    if (index >= array.count) return appendInstrument(document);
    if (!growForOneMore(array)) return nullptr;
    // Records are plain data that own their samples by pointer: moving the bytes moves them.
    memmove(&array.items[index + 1], &array.items[index], sizeof(Instrument) * (array.count - index));
    ++array.count;
    memset(&array.items[index], 0, sizeof(Instrument));
    return &array.items[index];
}

void removeInstrument(CardDocument& document, uint32_t index) {
    InstrumentArray& array = document.instruments;
    if (index >= array.count) return;
    releaseInstrument(array.items[index]);
    memmove(&array.items[index], &array.items[index + 1], sizeof(Instrument) * (array.count - index - 1));
    --array.count;
}

void clearInstruments(CardDocument& document) {
    InstrumentArray& array = document.instruments;
    for (uint32_t i = 0; i < array.count; ++i) releaseInstrument(array.items[i]);
    array.count = 0;
}

static void exchangeInstruments(Instrument& a, Instrument& b) {
    Instrument held;
    memcpy(&held, &a, sizeof(Instrument));
    memcpy(&a, &b, sizeof(Instrument));
    memcpy(&b, &held, sizeof(Instrument));
}

void moveInstrument(CardDocument& document, uint32_t from, uint32_t to) {
    InstrumentArray& array = document.instruments;
    if (from >= array.count || to >= array.count) return;
    for (uint32_t i = from; i > to; --i) exchangeInstruments(array.items[i], array.items[i - 1]);
    for (uint32_t i = from; i < to; ++i) exchangeInstruments(array.items[i], array.items[i + 1]);
}

Instrument* instrumentAt(CardDocument& document, uint32_t index) {
    return index < document.instruments.count ? &document.instruments.items[index] : nullptr;
}

const Instrument* instrumentAt(const CardDocument& document, uint32_t index) {
    return index < document.instruments.count ? &document.instruments.items[index] : nullptr;
}

Instrument* addNamedInstrument(CardDocument& document) {
    if (document.instruments.count >= kMaxInstruments) return nullptr;
    Instrument* record = appendInstrument(document);
    if (!record) return nullptr;
    appendText(record->name, viewOf("Inst "));
    appendUnsigned(record->name, document.instruments.count);
    return record;
}

void resetDocument(CardDocument& document) {
    assignText(document.name, viewOf("Corvane"));
    document.cardCode = kDefaultCardCode;
    document.headerFlag = false;
    clearInstruments(document);
    document.usedBytes = 0;
    document.modified = false;
}

void replaceDocument(CardDocument& document, CardDocument& fresh) {
    releaseDocument(document);
    document.name = fresh.name;
    document.cardCode = fresh.cardCode;
    document.headerFlag = fresh.headerFlag;
    document.instruments = fresh.instruments;
    document.modified = false;
    fresh.instruments = InstrumentArray{};
    resetDocument(fresh);
}

void releaseDocument(CardDocument& document) {
    clearInstruments(document);
    free(document.instruments.items);
    document.instruments = InstrumentArray{};
    resetDocument(document);
}

void setCardName(CardDocument& document, Utf16View text) {
    clearText(document.name);
    appendUtf16AsUtf8(document.name, text);
}

void setInstrumentName(Instrument& instrument, Utf16View text) {
    clearText(instrument.name);
    appendUtf16AsUtf8(instrument.name, text);
}

int32_t recountUsage(CardDocument& document) {
    uint32_t used = kCardHeaderBytes;
    for (uint32_t i = 0; i < document.instruments.count; ++i) {
        uint32_t footprint = instrumentFootprint(document.instruments.items[i]);
        // Saturate: a single huge instrument must read as "over the card", not wrap round.
        used = footprint > UINT32_MAX - used ? UINT32_MAX : used + footprint;
    }
    document.usedBytes = used;
    int64_t free = static_cast<int64_t>(kCardCapacity) - used;
    return free < INT32_MIN ? INT32_MIN : static_cast<int32_t>(free);
}

static uint64_t toTuneZero(uint64_t count) { return count * kTuneZeroSampleRate / kWorkingSampleRate; }
static uint64_t toWorking(uint64_t count) { return count * kWorkingSampleRate / kTuneZeroSampleRate; }

uint8_t clampDecay(double value) {
    if (!(value >= kMinDecay)) return kMinDecay;
    return value >= kMaxDecay ? kMaxDecay : static_cast<uint8_t>(value);
}

uint8_t clampBoost(double value) {
    if (!(value >= 0)) return 0;
    return value >= kMaxBoost ? kMaxBoost : static_cast<uint8_t>(value);
}

PlayedSpan clampPlayedSpan(uint32_t start, uint32_t end, uint32_t sampleCount) {
    PlayedSpan span;
    span.end = end < sampleCount ? end : sampleCount;
    span.start = start < span.end ? start : span.end;
    return span;
}

// The decay is counted in units of 1024 samples.
constexpr uint64_t kDecayUnitSamples = 1024;

static uint32_t decayLengthWith(uint8_t decay, bool downsample) {
    uint64_t d = static_cast<uint64_t>(decay) * kDecayUnitSamples;
    if (d < kDecayUnitSamples) d = kDecayUnitSamples;
    if (!downsample) d = toTuneZero(d);
    return static_cast<uint32_t>(d);
}

uint32_t decayLength(const Instrument& instrument) { return decayLengthWith(instrument.decay, instrument.downsample); }

uint32_t instrumentFootprint(const Instrument& instrument) {
    return footprintWithDownsample(instrument, instrument.downsample);
}

uint32_t footprintWithDownsample(const Instrument& instrument, bool downsample) {
    PlayedSpan span = playedSpan(instrument);
    uint64_t n = span.end - span.start;
    uint64_t t = decayLengthWith(instrument.decay, downsample);
    if (downsample) {
        n = toTuneZero(n);
        t = toWorking(t);
    }
    uint64_t blocks = roundUpToBlock(n);
    uint64_t footprint = blocks < roundUpToBlock(t) ? blocks + kCardBlockBytes : blocks;
    return footprint > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(footprint);
}
