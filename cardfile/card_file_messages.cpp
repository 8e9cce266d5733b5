#include "cardfile/card_file_messages.h"

const char* cardFileLoadReason(ErrorCode code) {
    switch (code) {
    case ErrorCode::Incomplete: return "The file is incomplete";
    case ErrorCode::InvalidFormat: return "Invalid file format";
    case ErrorCode::TooLarge: return "The file is too big to load";
    case ErrorCode::TooNew: return "The file is too new for this software-version";
    default: return "Inconsistent file";
    }
}
