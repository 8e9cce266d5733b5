#include "core/error_code.h"

ErrorCode fromSystemError(uint32_t systemError) {
    switch (systemError) {
    case 0: return ErrorCode::Ok;
    case 2: case 3: case 15: return ErrorCode::NotFound;
    case 5: case 19: return ErrorCode::AccessDenied;
    case 6: return ErrorCode::InvalidHandle;
    case 8: case 14: return ErrorCode::OutOfMemory;
    case 20: case 55: return ErrorCode::DeviceGone;
    case 21: return ErrorCode::NotReady;
    case 22: case 50: case 120: return ErrorCode::NotSupported;
    case 23: return ErrorCode::DataError;
    case 38: return ErrorCode::Incomplete;
    case 80: case 183: return ErrorCode::AlreadyExists;
    case 87: case 160: return ErrorCode::InvalidArgument;
    case 109: return ErrorCode::BrokenPipe;
    case 111: case 122: return ErrorCode::BufferTooSmall;
    case 112: case 314: return ErrorCode::DiskFull;
    case 223: return ErrorCode::TooLarge;
    case 258: return ErrorCode::Timeout;
    default: return ErrorCode::Failed;
    }
}

ErrorCode fromResult(uint32_t result) {
    if (result < 0x80000000u) return ErrorCode::Ok;
    switch (result) {
    case 0x80070057u: case 0x800401F3u: case 0x800401F4u: case 0x88890006u: case 0x88890009u:
        return ErrorCode::InvalidArgument;
    case 0x80004003u: return ErrorCode::NullPointer;
    case 0x8007000Eu: return ErrorCode::OutOfMemory;
    case 0x8000000Bu: return ErrorCode::BufferTooSmall;
    case 0x80070005u: return ErrorCode::AccessDenied;
    case 0x80004001u: case 0x80004021u: return ErrorCode::NotSupported;
    case 0x80004002u: return ErrorCode::NoInterface;
    case 0x80070006u: return ErrorCode::InvalidHandle;
    case 0x88890008u: return ErrorCode::InvalidFormat;
    case 0x8000000Du: case 0x8000000Eu: case 0x800401F0u: case 0x88890001u: case 0x88890002u:
        return ErrorCode::WrongState;
    case 0x800401F8u: return ErrorCode::CannotOpen;
    case 0x8000401Eu: case 0x8000402Au: return ErrorCode::Timeout;
    case 0x80004004u: return ErrorCode::Aborted;
    default: return ErrorCode::Failed;
    }
}
