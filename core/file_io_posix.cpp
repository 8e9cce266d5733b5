#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/errno_code_posix.h"
#include "core/system_path_posix.h"
#include "core/file_io.h"

ErrorCode readWholeFile(Utf8View path, uint32_t maxSize, ByteBuffer& contents) {
    char terminated[kSystemPathBytes];
    if (!toTerminatedPath(path, terminated)) return ErrorCode::InvalidArgument;
    // Without O_NONBLOCK, opening a named pipe waits for a writer that may never come.
    int fd = open(terminated, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return lastErrnoError();
    struct stat info;
    if (fstat(fd, &info) != 0) {
        ErrorCode code = lastErrnoError();
        close(fd);
        return code;
    }
    if (!S_ISREG(info.st_mode)) {  // a folder, a pipe, a device: no size to check, maybe no end
        close(fd);
        return ErrorCode::CannotOpen;
    }
    if (static_cast<uint64_t>(info.st_size) > maxSize) {
        close(fd);
        return ErrorCode::TooLarge;
    }
    uint32_t size = static_cast<uint32_t>(info.st_size);
    ErrorCode code = resizeBuffer(contents, size);
    if (failed(code)) {
        close(fd);
        return code;
    }
    uint32_t done = 0;
    while (done < size) {
        ssize_t got = read(fd, contents.data + done, size - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            code = lastErrnoError();
            close(fd);
            return code;
        }
        if (got == 0) break;  // the file shrank: what was read is what there is
        done += static_cast<uint32_t>(got);
    }
    contents.count = done;
    close(fd);
    return ErrorCode::Ok;
}

ErrorCode writeWholeFile(Utf8View path, const uint8_t* data, uint32_t size) {
    char terminated[kSystemPathBytes];
    if (!toTerminatedPath(path, terminated)) return ErrorCode::InvalidArgument;
    int fd = open(terminated, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return lastErrnoError();
    uint32_t done = 0;
    while (done < size) {
        ssize_t put = write(fd, data + done, size - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            ErrorCode code = put < 0 ? lastErrnoError() : ErrorCode::DiskFull;
            close(fd);
            return code;
        }
        done += static_cast<uint32_t>(put);
    }
    if (close(fd) != 0) return lastErrnoError();
    return ErrorCode::Ok;
}

ErrorCode createNewFile(Utf8View path) {
    char terminated[kSystemPathBytes];
    if (!toTerminatedPath(path, terminated)) return ErrorCode::InvalidArgument;
    int fd = open(terminated, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return lastErrnoError();
    if (close(fd) != 0) return lastErrnoError();
    return ErrorCode::Ok;
}

ErrorCode removeFile(Utf8View path) {
    char terminated[kSystemPathBytes];
    if (!toTerminatedPath(path, terminated)) return ErrorCode::InvalidArgument;
    return unlink(terminated) == 0 ? ErrorCode::Ok : lastErrnoError();
}

ErrorCode absolutePath(Utf8View path, PathBuffer& full) {
    char terminated[kSystemPathBytes];
    if (!toTerminatedPath(path, terminated)) return ErrorCode::InvalidArgument;
    clearText(full);
    char resolved[PATH_MAX];
    if (realpath(terminated, resolved)) {
        appendText(full, viewOf(resolved));
    } else if (terminated[0] == '/') {
        appendText(full, path);  // a file still to be made, named in full already
    } else {
        // A file still to be made: join it to the current folder.
        char folder[PATH_MAX];
        if (!getcwd(folder, sizeof folder)) return lastErrnoError();
        appendText(full, viewOf(folder));
        if (full.length == 0 || full.units[full.length - 1] != '/') appendText(full, viewOf("/"));
        appendText(full, path);
    }
    return full.length < full.capacity ? ErrorCode::Ok : ErrorCode::TooLarge;
}
