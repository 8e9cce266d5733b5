#pragma once
#include <cstdint>

#include "core/card_history.h"

// Undo and Redo in the window: the Edit menu, and the step each edit of the
// card records.

// A new history for the card as it stands (start-up, New, a card-file opened).
void restartCardHistory();
// The card as it stands was saved.
void cardSavedInHistory();

// After an edit of the card: one step (or, when `mergeable`, part of a run of
// like steps); the title and the Edit menu follow. `where` is the instrument
// the edit worked on, as the list was before it; `selection` the one shown after.
void recordCardEdit(EditKind kind, int32_t where, int32_t selection, bool mergeable = false);

// A name typed into a name field is one step, taken when the field is left
// (or before a command): the typing itself changes the card as it goes.
void noteNameTyped(EditKind kind);
void recordTypedName();

void undoCardEdit();
void redoCardEdit();
// The menu's Undo and Redo items: enabled and named after what they would do.
void updateEditMenu();
