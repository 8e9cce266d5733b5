#include "core/card_history.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

const char* editName(EditKind kind) {
    switch (kind) {
    case EditKind::AddInstrument: return "Add Instrument";
    case EditKind::RemoveInstrument: return "Remove Instrument";
    case EditKind::MoveInstrument: return "Move Instrument";
    case EditKind::LoadSample: return "Load Sample";
    case EditKind::AddSamples: return "Add Samples";
    case EditKind::RenameInstrument: return "Rename Instrument";
    case EditKind::RenameCard: return "Rename Card";
    case EditKind::MoveStart: return "Move Start";
    case EditKind::MoveEnd: return "Move End";
    case EditKind::ChangeDecay: return "Change Decay";
    case EditKind::ChangeBoost: return "Change Boost";
    case EditKind::ChangeDownsample: return "Change Downsample";
    case EditKind::TrimSilence: return "Trim Silence";
    case EditKind::None: break;
    }
    return "";
}

namespace {

void releaseSnapshot(CardSnapshot& card) {
    for (uint32_t i = 0; i < card.count; ++i) releaseSamples(card.instruments[i].samples);
    card.count = 0;
}

// The card's small fields copied, its samples shared.
void takeSnapshot(CardSnapshot& card, const CardDocument& document) {
    releaseSnapshot(card);
    card.name = document.name;
    card.cardCode = document.cardCode;
    card.headerFlag = document.headerFlag;
    card.count = document.instruments.count < kMaxInstruments ? document.instruments.count : kMaxInstruments;
    for (uint32_t i = 0; i < card.count; ++i) {
        const Instrument& from = document.instruments.items[i];
        Instrument& to = card.instruments[i];
        to = from;
        to.samples = {};
        shareSamples(to.samples, from.samples);
    }
}

bool sameName(const NameBuffer& a, const NameBuffer& b) {
    return a.length == b.length && memcmp(a.units, b.units, a.length) == 0;
}

bool sameInstrument(const Instrument& a, const Instrument& b) {
    return sameName(a.name, b.name) && a.downsample == b.downsample && a.boost == b.boost && a.decay == b.decay &&
           a.start == b.start && a.end == b.end && a.samples.block == b.samples.block &&
           a.samples.data == b.samples.data && a.samples.count == b.samples.count;
}

bool documentIs(const CardDocument& document, const CardSnapshot& card) {
    if (!sameName(document.name, card.name) || document.cardCode != card.cardCode ||
        document.headerFlag != card.headerFlag || document.instruments.count != card.count)
        return false;
    for (uint32_t i = 0; i < card.count; ++i)
        if (!sameInstrument(document.instruments.items[i], card.instruments[i])) return false;
    return true;
}

// The document becomes the snapshot. Room for every instrument is made
// first, so that a failure leaves the document as it was.
ErrorCode putSnapshot(CardDocument& document, const CardSnapshot& card) {
    InstrumentArray& array = document.instruments;
    if (array.capacity < card.count) {
        auto* items = static_cast<Instrument*>(realloc(array.items, sizeof(Instrument) * kMaxInstruments));
        if (!items) return ErrorCode::OutOfMemory;
        array.items = items;
        array.capacity = kMaxInstruments;
    }
    clearInstruments(document);
    document.name = card.name;
    document.cardCode = card.cardCode;
    document.headerFlag = card.headerFlag;
    for (uint32_t i = 0; i < card.count; ++i) {
        Instrument* to = appendInstrument(document);  // within the capacity: cannot fail
        *to = card.instruments[i];
        to->samples = {};
        shareSamples(to->samples, card.instruments[i].samples);
    }
    return ErrorCode::Ok;
}

void dropOldest(CardHistory& history) {
    releaseSnapshot(history.states[0].card);
    memmove(&history.states[0], &history.states[1], sizeof(HistoryState) * (history.count - 1));
    memset(&history.states[history.count - 1], 0, sizeof(HistoryState));
    --history.count;
    --history.current;
    history.saved = history.saved > 0 ? history.saved - 1 : -1;
}

void dropRedoSteps(CardHistory& history) {
    while (history.count > history.current + 1) {
        releaseSnapshot(history.states[--history.count].card);
        memset(&history.states[history.count], 0, sizeof(HistoryState));
    }
    if (history.saved > int32_t(history.current)) history.saved = -1;
}

void markModified(const CardHistory& history, CardDocument& document) {
    document.modified = history.saved != int32_t(history.current);
}

}  // namespace

ErrorCode startHistory(CardHistory& history, const CardDocument& document, int32_t selection, bool saved) {
    if (!history.states) {
        history.states = static_cast<HistoryState*>(calloc(kHistorySteps + 1, sizeof(HistoryState)));
        if (!history.states) return ErrorCode::OutOfMemory;
    }
    for (uint32_t i = 0; i < history.count; ++i) releaseSnapshot(history.states[i].card);
    memset(history.states, 0, sizeof(HistoryState) * (kHistorySteps + 1));
    takeSnapshot(history.states[0].card, document);
    history.states[0].where = -1;
    history.states[0].selection = selection;
    history.count = 1;
    history.current = 0;
    history.saved = saved ? 0 : -1;
    history.runOpen = false;
    return ErrorCode::Ok;
}

ErrorCode recordEdit(CardHistory& history, CardDocument& document, EditKind kind, int32_t where,
                     int32_t selection, bool mergeable, uint64_t nowMs) {
    if (!history.states || history.count == 0) return ErrorCode::WrongState;
    HistoryState* last = &history.states[history.current];
    if (documentIs(document, last->card)) {
        markModified(history, document);
        return ErrorCode::Ok;
    }
    bool joins = mergeable && history.runOpen && history.current + 1 == history.count && history.current > 0 &&
                 last->madeBy == kind && last->where == where && history.saved != int32_t(history.current) &&
                 nowMs >= last->madeAtMs && nowMs - last->madeAtMs <= kEditRunMs;
    if (!joins) {
        dropRedoSteps(history);
        if (history.count == kHistorySteps + 1) dropOldest(history);
        last = &history.states[history.count];
        last->madeBy = kind;
        last->where = where;
        history.current = history.count++;
    }
    takeSnapshot(last->card, document);
    last->selection = selection;
    last->madeAtMs = nowMs;
    history.runOpen = mergeable;
    // A run that came back to where it began (a wheel turned up and down) is no step.
    if (joins && documentIs(document, history.states[history.current - 1].card)) {
        releaseSnapshot(last->card);
        memset(last, 0, sizeof(HistoryState));
        --history.count;
        --history.current;
        history.runOpen = false;
    }
    while (history.current > 0 && historyOnlySampleBytes(history) > kHistorySampleBytes) dropOldest(history);
    markModified(history, document);
    return ErrorCode::Ok;
}

void endEditRun(CardHistory& history) { history.runOpen = false; }

bool canUndo(const CardHistory& history) { return history.states && history.current > 0; }

bool canRedo(const CardHistory& history) { return history.states && history.current + 1 < history.count; }

EditKind undoKind(const CardHistory& history) {
    return canUndo(history) ? history.states[history.current].madeBy : EditKind::None;
}

EditKind redoKind(const CardHistory& history) {
    return canRedo(history) ? history.states[history.current + 1].madeBy : EditKind::None;
}

bool undoEdit(CardHistory& history, CardDocument& document, int32_t& selection) {
    if (!canUndo(history) || failed(putSnapshot(document, history.states[history.current - 1].card))) return false;
    // An edit of no instrument (the card's name) shows what was shown before it.
    selection = history.states[history.current].where;
    if (selection < 0) selection = history.states[history.current - 1].selection;
    --history.current;
    history.runOpen = false;
    markModified(history, document);
    return true;
}

bool redoEdit(CardHistory& history, CardDocument& document, int32_t& selection) {
    if (!canRedo(history) || failed(putSnapshot(document, history.states[history.current + 1].card))) return false;
    ++history.current;
    selection = history.states[history.current].selection;
    history.runOpen = false;
    markModified(history, document);
    return true;
}

void markSaved(CardHistory& history) {
    history.saved = int32_t(history.current);
    history.runOpen = false;
}

uint64_t historyOnlySampleBytes(const CardHistory& history) {
    if (!history.states || history.count == 0) return 0;
    // The distinct blocks of all states, sorted so that each counts once.
    const SampleBlock* held[(kHistorySteps + 1) * kMaxInstruments];
    uint32_t counts[(kHistorySteps + 1) * kMaxInstruments];
    uint32_t order[(kHistorySteps + 1) * kMaxInstruments];
    uint32_t n = 0;
    for (uint32_t s = 0; s < history.count; ++s) {
        if (s == history.current) continue;
        const CardSnapshot& card = history.states[s].card;
        for (uint32_t i = 0; i < card.count; ++i)
            if (card.instruments[i].samples.block) {
                held[n] = card.instruments[i].samples.block;
                counts[n] = card.instruments[i].samples.count;
                order[n] = n;
                ++n;
            }
    }
    std::sort(order, order + n, [&](uint32_t a, uint32_t b) { return held[a] < held[b]; });
    const CardSnapshot& now = history.states[history.current].card;
    uint64_t bytes = 0;
    for (uint32_t k = 0; k < n; ++k) {
        const SampleBlock* block = held[order[k]];
        if (k > 0 && held[order[k - 1]] == block) continue;
        bool inDocument = false;
        for (uint32_t i = 0; i < now.count && !inDocument; ++i) inDocument = now.instruments[i].samples.block == block;
        if (!inDocument) bytes += 4ull * counts[order[k]];
    }
    return bytes;
}

void releaseHistory(CardHistory& history) {
    if (history.states)
        for (uint32_t i = 0; i < history.count; ++i) releaseSnapshot(history.states[i].card);
    free(history.states);
    history = {};
}
