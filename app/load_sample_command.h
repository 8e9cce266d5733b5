#pragma once
#include <cstdint>

#include "app/user_dialogs.h"
#include "core/card_document.h"
#include "core/card_history.h"
#include "import/import_messages.h"

// What Load Sample did, for the window to refresh and record one undo step.
struct LoadSampleOutcome {
    bool chosen;        // files were chosen: the window shows `selection` and refreshes
    EditKind edit;      // None when the card did not change; LoadSample or AddSamples
    int32_t where;      // for recordEdit: the instrument worked on, as the card was before (-1: none)
    int32_t selection;  // the instrument to show
};

// "Load Sample": sample files chosen in the open dialog. With a valid
// `selection` the first file is imported into that instrument (its old sample
// kept when the import fails); every other file, or every file without a
// selection (an empty card), becomes a new instrument at the end while the
// card has room. Failed files and files left out are named in one message.
// Nothing is asked without a selection on a full card. The edit is
// LoadSample when only the selected instrument changed and AddSamples when
// instruments were added; the instrument shown afterwards is the first that
// got a sample (the selection as it was when none did).
LoadSampleOutcome loadSampleCommand(CardDocument& document, int32_t selection, const UserDialogs& dialogs);

// The one message for all failed imports of a command: "The file couldn't be
// imported" or "<n> files couldn't be imported", then each file with its reason.
void showImportFailures(const UserDialogs& dialogs, const ImportFailures& failures);
