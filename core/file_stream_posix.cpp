#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/errno_code_posix.h"
#include "core/system_path_posix.h"
#include "core/file_stream.h"

ErrorCode openReadableFile(Utf8View path, uint32_t maxSize, ReadableFile& file) {
    file = {-1, 0};
    char terminated[kSystemPathBytes];
    if (!toTerminatedPath(path, terminated)) return ErrorCode::InvalidArgument;
    // Without O_NONBLOCK, opening a named pipe waits for a writer that may never come.
    int fd = open(terminated, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return lastErrnoError();
    struct stat info;
    ErrorCode code = ErrorCode::Ok;
    if (fstat(fd, &info) != 0)
        code = lastErrnoError();
    else if (!S_ISREG(info.st_mode))
        code = ErrorCode::CannotOpen;  // a folder, a pipe, a device: no size to check, maybe no end
    else if (static_cast<uint64_t>(info.st_size) > maxSize)
        code = ErrorCode::TooLarge;
    if (failed(code)) {
        close(fd);
        return code;
    }
    file = {fd, static_cast<uint32_t>(info.st_size)};
    return ErrorCode::Ok;
}

ErrorCode readFileAt(const ReadableFile& file, uint64_t offset, uint8_t* into, uint32_t count) {
    uint32_t done = 0;
    while (done < count) {
        ssize_t got = pread(static_cast<int>(file.handle), into + done, count - done, off_t(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return lastErrnoError();
        if (got == 0) return ErrorCode::Incomplete;
        done += static_cast<uint32_t>(got);
    }
    return ErrorCode::Ok;
}

void closeReadableFile(ReadableFile& file) {
    if (file.handle >= 0) close(static_cast<int>(file.handle));
    file = {-1, 0};
}
