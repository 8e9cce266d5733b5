#include <cerrno>
#include <cstdio>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/errno_code_posix.h"
#include "core/system_path_posix.h"
#include "core/safe_save.h"

namespace {

ErrorCode inspect(void*, Utf8View path, SaveTarget& target) {
    char terminated[kSystemPathBytes];
    if (!toTerminatedPath(path, terminated)) return ErrorCode::InvalidArgument;
    target = {};
    clearText(target.path);
    struct stat info;
    if (stat(terminated, &info) != 0) {
        if (errno != ENOENT) return lastErrnoError();
        appendText(target.path, path);  // a new file: the create step reports a missing folder
        return ErrorCode::Ok;
    }
    // Renaming over a device or a pipe would replace it, not write to it.
    if (!S_ISREG(info.st_mode)) return ErrorCode::CannotOpen;
    target.exists = true;
    target.mode = info.st_mode & 07777;
    // The mode bits too: a file nobody may write stays unwritten, even for root.
    target.readOnly = (info.st_mode & 0222) == 0 || (access(terminated, W_OK) != 0 && errno != ENOENT);
    // A link stays a link: the file it names is the one replaced.
    char resolved[PATH_MAX];
    if (!realpath(terminated, resolved)) return lastErrnoError();
    appendText(target.path, viewOf(resolved));
    return target.path.length < target.path.capacity ? ErrorCode::Ok : ErrorCode::TooLarge;
}

ErrorCode create(void*, Utf8View path, const SaveTarget& like, intptr_t& handle) {
    char terminated[kSystemPathBytes];
    if (!toTerminatedPath(path, terminated)) return ErrorCode::InvalidArgument;
    int fd = open(terminated, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return lastErrnoError();
    if (like.exists) fchmod(fd, like.mode);  // permissions only; their loss is no loss of data
    handle = fd;
    return ErrorCode::Ok;
}

// Writes go in slices, each handed to the disk at once, so that the flush at
// the end waits for the last slice rather than for the whole file.
constexpr uint32_t kWritebackSliceBytes = 1u << 20;

ErrorCode write(void*, intptr_t handle, const uint8_t* data, uint32_t size, uint32_t& written) {
    written = 0;
    int fd = static_cast<int>(handle);
    for (;;) {
        ssize_t put = ::write(fd, data, size < kWritebackSliceBytes ? size : kWritebackSliceBytes);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return lastErrnoError();
        written = static_cast<uint32_t>(put);
#ifdef __linux__
        // Only a head start: the flush still waits for every byte.
        off_t end = lseek(fd, 0, SEEK_CUR);
        if (put > 0 && end >= put) sync_file_range(fd, end - put, put, SYNC_FILE_RANGE_WRITE);
#endif
        return ErrorCode::Ok;
    }
}

ErrorCode flush(void*, intptr_t handle) {
    return fsync(static_cast<int>(handle)) == 0 ? ErrorCode::Ok : lastErrnoError();
}

ErrorCode closeFile(void*, intptr_t handle) {
    return ::close(static_cast<int>(handle)) == 0 ? ErrorCode::Ok : lastErrnoError();
}

ErrorCode replace(void*, Utf8View temporary, const SaveTarget& target, bool& busy) {
    busy = false;  // no other program can hold a name here
    char from[kSystemPathBytes], to[kSystemPathBytes];
    if (!toTerminatedPath(temporary, from) || !toTerminatedPath(viewOf(target.path), to))
        return ErrorCode::InvalidArgument;
    return rename(from, to) == 0 ? ErrorCode::Ok : lastErrnoError();
}

ErrorCode removePath(void*, Utf8View path) {
    char terminated[kSystemPathBytes];
    if (!toTerminatedPath(path, terminated)) return ErrorCode::InvalidArgument;
    return unlink(terminated) == 0 ? ErrorCode::Ok : lastErrnoError();
}

void syncFolder(void*, Utf8View path) {
    char folder[kSystemPathBytes];
    if (!toTerminatedPath(path, folder)) return;
    char* slash = strrchr(folder, '/');
    if (!slash) {
        strcpy(folder, ".");
    } else {
        slash[slash == folder ? 1 : 0] = 0;  // "/card.vxcor" lies in "/"
    }
    int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    ::close(fd);
}

void pause(void*, uint32_t milliseconds) {
    struct timespec wait = {static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

const SaveCalls kSystemCalls = {nullptr, inspect, create, write, flush, closeFile, replace, removePath, syncFolder, pause};

}  // namespace

const SaveCalls& systemSaveCalls() { return kSystemCalls; }
