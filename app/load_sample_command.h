#pragma once
#include <cstdint>

#include "app/user_dialogs.h"
#include "core/card_document.h"
#include "import/import_messages.h"

// "Load Sample": one sample file chosen in the open dialog and imported into
// the instrument at `selection` (its old sample kept when the import fails,
// which is reported; a new sample marks the card modified). False when
// nothing was chosen: no valid selection, or the dialog was cancelled; the
// window then needs no refresh.
bool loadSampleCommand(CardDocument& document, int32_t selection, const UserDialogs& dialogs);

// The one message for all failed imports of a command: "The file couldn't be
// imported" or "<n> files couldn't be imported", then each file with its reason.
void showImportFailures(const UserDialogs& dialogs, const ImportFailures& failures);
