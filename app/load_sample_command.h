#pragma once
#include <cstdint>

#include "app/user_dialogs.h"
#include "core/card_document.h"

// "Load Sample": one sample file chosen in the open dialog and imported into
// the instrument at `selection` (its old sample kept when the import fails,
// which is reported; a new sample marks the card modified). False when
// nothing was chosen: no valid selection, or the dialog was cancelled; the
// window then needs no refresh.
bool loadSampleCommand(CardDocument& document, int32_t selection, const UserDialogs& dialogs);

// The one message for all failed imports: "The file couldn't be imported" or
// "<n> files couldn't be imported".
void showImportFailures(const UserDialogs& dialogs, uint32_t failed);
