#pragma once
#include <cstdint>

#include "core/card_document.h"
#include "core/error_code.h"

// Undo and Redo: the history of the card document as a row of snapshots of
// the whole card. A snapshot copies the small fields (names, markers,
// settings: a few hundred bytes) and shares the instruments' samples, which
// never change once made, so a step costs almost nothing and undoing is
// putting a snapshot back.

// What changed the card, for the Edit menu ("Undo Remove Instrument").
enum class EditKind : uint8_t {
    None,
    AddInstrument,
    RemoveInstrument,
    MoveInstrument,
    LoadSample,
    AddSamples,  // files dropped on the list, or loaded several at once
    RenameInstrument,
    RenameCard,
    MoveStart,
    MoveEnd,
    ChangeDecay,
    ChangeBoost,
    ChangeDownsample,
    TrimSilence,
};

// "Remove Instrument", "Change Decay", ...; empty for None.
const char* editName(EditKind kind);

struct CardSnapshot {
    NameBuffer name;
    uint16_t cardCode;
    bool headerFlag;
    uint32_t count;
    Instrument instruments[kMaxInstruments];  // each holds its samples
};

struct HistoryState {
    CardSnapshot card;
    EditKind madeBy;     // the edit that led here from the state before; None for the first
    int32_t where;       // the instrument that edit worked on, in the state before (-1: none)
    int32_t selection;   // the instrument shown in this state (-1: none)
    uint64_t madeAtMs;   // when a run of like steps last added to it
};

// At most this many steps are kept, and at most this many bytes of samples
// that only the history still holds (instruments removed or replaced); the
// oldest steps go first.
constexpr uint32_t kHistorySteps = 200;
constexpr uint64_t kHistorySampleBytes = uint64_t(256) << 20;
// Like edits of the same instrument this close together make one step (a
// run of wheel or arrow steps on a knob).
constexpr uint64_t kEditRunMs = 1000;

struct CardHistory {
    HistoryState* states;  // kHistorySteps + 1 of them, allocated by startHistory
    uint32_t count;        // states held
    uint32_t current;      // the state the document is in
    int32_t saved;         // the state last saved or opened, -1 when it is gone
    bool runOpen;          // the current state may still take like edits
};

// A new history whose only state is the document as it is (New, Open, start-up):
// the saved state when `saved`, as after Open; none is saved for a card never saved.
ErrorCode startHistory(CardHistory& history, const CardDocument& document, int32_t selection, bool saved);

// After an edit: the document's new state becomes the next step, and the
// steps that could have been redone are gone. Nothing is recorded when the
// card is as in the current state. A `mergeable` edit joins the step before
// when that step is of the same kind, on the same instrument, not saved, and
// at most kEditRunMs old. `where` is the instrument the edit worked on as the
// card was before it; `selection` the instrument shown after it. Also sets
// the document's `modified` mark.
ErrorCode recordEdit(CardHistory& history, CardDocument& document, EditKind kind, int32_t where,
                     int32_t selection, bool mergeable, uint64_t nowMs);

// Ends a run of like edits: the next edit is a step of its own.
void endEditRun(CardHistory& history);

bool canUndo(const CardHistory& history);
bool canRedo(const CardHistory& history);
EditKind undoKind(const CardHistory& history);  // None when nothing can be undone
EditKind redoKind(const CardHistory& history);

// Puts the state before back into the document (or the state after, for
// Redo) and gives the instrument to show: the one the undone edit worked on
// (or, for an edit of the card itself, the one shown before it), or the one
// shown after the redone edit. The document is modified unless it
// is back in the saved state. False when there is nothing to undo or redo.
bool undoEdit(CardHistory& history, CardDocument& document, int32_t& selection);
bool redoEdit(CardHistory& history, CardDocument& document, int32_t& selection);

// The document was saved as it is in the current state.
void markSaved(CardHistory& history);

// Bytes of samples held by the history's states and not by the document.
uint64_t historyOnlySampleBytes(const CardHistory& history);

void releaseHistory(CardHistory& history);
