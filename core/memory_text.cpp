#include "core/memory_text.h"

#include <cmath>

int32_t buildMemoryTexts(CardDocument& document, MemoryText& cardSize, MemoryText& freeMemory) {
    int32_t free = recountUsage(document);
    clearText(cardSize);
    appendUnsigned(cardSize, document.usedBytes);
    appendText(cardSize, viewOf(u" Byte"));
    clearText(freeMemory);
    appendSigned(freeMemory, free);
    appendText(freeMemory, viewOf(u" Byte"));
    return free;
}

void buildFootprintText(MemoryText& text, const Instrument& instrument) {
    clearText(text);
    appendUnsigned(text, instrumentFootprint(instrument));
    appendText(text, viewOf(u" Byte"));
}

void buildDownsampleText(CostText& text, const Instrument& instrument) {
    uint32_t plain = footprintWithDownsample(instrument, false);
    uint32_t downsampled = footprintWithDownsample(instrument, true);
    bool on = instrument.downsample;
    assignText(text, viewOf(u"Downsample "));
    if (downsampled == plain) {
        appendText(text, viewOf(on ? u"saves nothing" : u"would save nothing"));
        return;
    }
    bool saves = downsampled < plain;
    if (on)
        appendText(text, viewOf(saves ? u"saves " : u"costs "));
    else
        appendText(text, viewOf(saves ? u"would save " : u"would cost "));
    appendUnsigned(text, saves ? plain - downsampled : downsampled - plain);
    appendText(text, viewOf(u" Byte"));
}

void buildTrimText(CostText& text, const TrimOutcome& outcome, float thresholdDb) {
    switch (outcome.result) {
    case TrimResult::Trimmed: {
        assignText(text, viewOf(u"Trim Silence saved "));
        uint32_t before = outcome.footprintBefore, after = outcome.footprintAfter;
        appendUnsigned(text, before > after ? before - after : 0);
        appendText(text, viewOf(u" Byte"));
        break;
    }
    case TrimResult::NoSilence: assignText(text, viewOf(u"No silence to trim")); break;
    case TrimResult::NothingLoud: {
        assignText(text, viewOf(u"Nothing reaches "));
        float whole = std::round(thresholdDb);
        appendSigned(text, whole >= -1e9f && whole <= 1e9f ? int32_t(whole) : 0);
        appendText(text, viewOf(u" dBFS: nothing trimmed"));
        break;
    }
    }
}
