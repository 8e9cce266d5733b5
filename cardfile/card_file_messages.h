#pragma once
#include "core/error_code.h"

// The first line of the message shown when a card-file cannot be opened.
constexpr const char* kCardFileLoadFailure = "Can't load the card-file";
constexpr const char* kCardFileSaveFailure = "Can't save the card-file";

// The reason shown below that line for a load failure.
const char* cardFileLoadReason(ErrorCode code);
