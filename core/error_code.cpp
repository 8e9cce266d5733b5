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
