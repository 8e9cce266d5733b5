#include "core/errno_code_posix.h"

#include <cerrno>

ErrorCode fromErrno(int error) {
    switch (error) {
    case 0: return ErrorCode::Ok;
    case ENOENT: case ENOTDIR: return ErrorCode::NotFound;
    case EACCES: case EPERM: case EROFS: return ErrorCode::AccessDenied;
    case EBADF: return ErrorCode::InvalidHandle;
    case ENOMEM: return ErrorCode::OutOfMemory;
    case ENODEV: case ENXIO: return ErrorCode::DeviceGone;
    case EEXIST: return ErrorCode::AlreadyExists;
    case EINVAL: case ENAMETOOLONG: return ErrorCode::InvalidArgument;
    case EPIPE: return ErrorCode::BrokenPipe;
    case ENOSPC: case EDQUOT: return ErrorCode::DiskFull;
    case EFBIG: return ErrorCode::TooLarge;
    case EIO: return ErrorCode::DataError;
    case EISDIR: return ErrorCode::CannotOpen;
    default: return ErrorCode::Failed;
    }
}

ErrorCode lastErrnoError() {
    ErrorCode code = fromErrno(errno);
    return code == ErrorCode::Ok ? ErrorCode::CannotOpen : code;
}
