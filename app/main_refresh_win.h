#pragma once
#include <cstdint>

#include "core/card_document.h"

// Bringing the main window's controls up to date with the card.

// While one lives, the notifications that the controls send as they are
// filled are not taken for the user's edits.
struct UpdatingControls {
    bool previous;
    UpdatingControls();
    ~UpdatingControls();
};

// The instrument list's selection (LB_GETCURSEL), -1 for none.
int32_t listSelection();
// The selected instrument, or null without a valid selection.
Instrument* selectedInstrument();
// The instrument the editing controls show (the last showInstrument), or null.
// What is typed into a field belongs to it even when the list box has moved
// its selection before the field hears of it.
Instrument* shownInstrument();

void refreshInstrumentList();
// Fills the instrument's controls, its preview and the markers; -1 or an
// index beyond the card empties them. Stops a playing preview.
void showInstrument(int32_t index);
void updateControlStates();
void updateWindowTitle();
void updateMemoryDisplay();
// The status line belongs to the transfer; between transfers the editing says
// there what Downsample would save and what a trim saved. Such a text replaces
// "Idle" and the editing's own last text, and any text when `asked` (the
// user's command wants its answer); a transfer's result or the note that no
// audio output is there stays until the user acts.
void showEditingStatus(const wchar_t* text, bool asked);

// The preview copy of the instrument, rebuilt and handed to the waveform view.
void showPreview(const Instrument& instrument);

// After a change of the list: refilled, the entry at `index` selected (none
// beyond the card) and shown, the control states, the focus on the list.
void refreshAndSelect(int32_t index);
