#include <windows.h>

#include "core/file_stream.h"
#include "core/system_path_win.h"

static HANDLE handleOf(const ReadableFile& file) { return reinterpret_cast<HANDLE>(file.handle); }

ErrorCode openReadableFile(Utf8View path, uint32_t maxSize, ReadableFile& file) {
    file = {reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE), 0};
    SystemPath wide;
    if (!toSystemPath(path, wide)) return ErrorCode::InvalidArgument;
    HANDLE handle = CreateFileW(wideChars(wide), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return lastFileError();
    LARGE_INTEGER size;
    ErrorCode code = ErrorCode::Ok;
    if (GetFileType(handle) != FILE_TYPE_DISK)
        code = ErrorCode::CannotOpen;  // a pipe or a device: no size to check, maybe no end
    else if (!GetFileSizeEx(handle, &size))
        code = lastFileError();
    else if (static_cast<uint64_t>(size.QuadPart) > maxSize)
        code = ErrorCode::TooLarge;
    if (failed(code)) {
        CloseHandle(handle);
        return code;
    }
    file = {reinterpret_cast<intptr_t>(handle), static_cast<uint32_t>(size.QuadPart)};
    return ErrorCode::Ok;
}

// Reads of tens of megabytes at once are refused by some network shares
// (ERROR_NO_SYSTEM_RESOURCES): an instrument's samples go in slices.
constexpr uint32_t kLargestRead = 8u * 1024 * 1024;

ErrorCode readFileAt(const ReadableFile& file, uint64_t offset, uint8_t* into, uint32_t count) {
    uint32_t done = 0;
    while (done < count) {
        uint32_t slice = count - done < kLargestRead ? count - done : kLargestRead;
        // On a handle opened for ordinary (not overlapped) reading, the
        // offset in OVERLAPPED positions the read and the call completes at once.
        OVERLAPPED at = {};
        at.Offset = static_cast<DWORD>(offset + done);
        at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
        DWORD got = 0;
        if (!ReadFile(handleOf(file), into + done, slice, &got, &at)) {
            DWORD error = GetLastError();
            if (error == ERROR_HANDLE_EOF) return ErrorCode::Incomplete;
            ErrorCode code = fromSystemError(error);
            return code == ErrorCode::Ok ? ErrorCode::CannotOpen : code;
        }
        if (got == 0) return ErrorCode::Incomplete;
        done += got;
    }
    return ErrorCode::Ok;
}

void closeReadableFile(ReadableFile& file) {
    if (handleOf(file) != INVALID_HANDLE_VALUE && file.handle != 0) CloseHandle(handleOf(file));
    file = {reinterpret_cast<intptr_t>(INVALID_HANDLE_VALUE), 0};
}
