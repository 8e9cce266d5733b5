#pragma once
#include "core/error_code.h"

// The first lines of the messages shown when a card-file cannot be opened or saved.
constexpr const char* kCardFileLoadFailure = "Can't load the card-file";
constexpr const char* kCardFileSaveFailure = "Can't save the card-file";

// The reason shown below that line for a load failure.
const char* cardFileLoadReason(ErrorCode code);

// The reason shown below the save failure's first line.
const char* cardFileSaveReason(ErrorCode code);
