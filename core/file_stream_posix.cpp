#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include "core/errno_code_posix.h"
#include "core/file_stream.h"

static bool toTerminatedPath(Utf8View path, char (&terminated)[4096]) {
    if (path.length == 0 || path.length >= sizeof terminated) return false;
    memcpy(terminated, path.units, path.length);
    terminated[path.length] = 0;
    return true;
}

ErrorCode openReadableFile(Utf8View path, uint32_t maxSize, ReadableFile& file) {
    file = {-1, 0};
    char terminated[4096];
    if (!toTerminatedPath(path, terminated)) return ErrorCode::InvalidArgument;
    int fd = open(terminated, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return lastErrnoError();
    struct stat info;
    ErrorCode code = ErrorCode::Ok;
    if (fstat(fd, &info) != 0)
        code = lastErrnoError();
    else if (S_ISDIR(info.st_mode))
        code = ErrorCode::CannotOpen;
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

ErrorCode writeFilePieces(Utf8View path, const FilePiece* pieces, uint32_t count) {
    char terminated[4096];
    if (!toTerminatedPath(path, terminated)) return ErrorCode::InvalidArgument;
    int fd = open(terminated, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return lastErrnoError();
    // One gathering write for up to this many pieces at a time; a short
    // write goes on from where it stopped.
    constexpr uint32_t kBatch = 16;
    ErrorCode code = ErrorCode::Ok;
    uint32_t next = 0, skip = 0;  // the first piece not fully written, and its bytes already written
    while (next < count && !failed(code)) {
        struct iovec batch[kBatch];
        uint32_t used = 0;
        for (uint32_t i = next; i < count && used < kBatch; ++i) {
            uint32_t from = i == next ? skip : 0;
            if (pieces[i].size == from) continue;
            batch[used].iov_base = const_cast<uint8_t*>(static_cast<const uint8_t*>(pieces[i].data) + from);
            batch[used].iov_len = pieces[i].size - from;
            ++used;
        }
        if (used == 0) break;
        ssize_t put = writev(fd, batch, int(used));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            code = put < 0 ? lastErrnoError() : ErrorCode::DiskFull;
            break;
        }
        uint64_t left = uint64_t(put);
        while (next < count && left >= pieces[next].size - skip) {
            left -= pieces[next].size - skip;
            ++next;
            skip = 0;
        }
        skip += static_cast<uint32_t>(left);
    }
    if (close(fd) != 0 && !failed(code)) code = lastErrnoError();
    return code;
}
