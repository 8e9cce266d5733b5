#include "cardfile/card_file_messages.h"

const char* cardFileLoadReason(ErrorCode code) {
    switch (code) {
    case ErrorCode::Incomplete: return "The file is incomplete";
    case ErrorCode::InvalidFormat: return "Invalid file format";
    case ErrorCode::TooLarge: return "The file is too big to load";
    case ErrorCode::TooNew: return "The file is too new for this software-version";
    case ErrorCode::NotFound: return "The file was not found";
    case ErrorCode::AccessDenied: return "Access to the file is denied";
    case ErrorCode::OutOfMemory: return "Not enough memory to load the file";
    default: return "Inconsistent file";
    }
}

const char* cardFileSaveReason(ErrorCode code) {
    switch (code) {
    case ErrorCode::AccessDenied: return "Access to the file is denied";
    case ErrorCode::NotFound: return "The folder does not exist";
    case ErrorCode::DiskFull: return "The disk is full";
    case ErrorCode::InvalidArgument: return "The file name is not valid";
    case ErrorCode::OutOfMemory: return "Not enough memory";
    case ErrorCode::CannotOpen: return "The file cannot be opened for writing";
    default: return "The file could not be written";
    }
}
