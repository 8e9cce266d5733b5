#include "app/program_state.h"

CardDocument cardDocument = {};
Utf8Buffer<kCardFilePathCapacity> cardFilePath = {};
