#include <windows.h>

#include "core/file_io.h"
#include "core/system_path_win.h"

ErrorCode readWholeFile(Utf8View path, uint32_t maxSize, ByteBuffer& contents) {
    SystemPath wide;
    if (!toSystemPath(path, wide)) return ErrorCode::InvalidArgument;
    HANDLE file = CreateFileW(wideChars(wide), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lastFileError();
    if (GetFileType(file) != FILE_TYPE_DISK) {  // a pipe or a device: no size to check, maybe no end
        CloseHandle(file);
        return ErrorCode::CannotOpen;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) {
        ErrorCode code = lastFileError();
        CloseHandle(file);
        return code;
    }
    if (static_cast<uint64_t>(size.QuadPart) > maxSize) {
        CloseHandle(file);
        return ErrorCode::TooLarge;
    }
    ErrorCode code = resizeBuffer(contents, static_cast<uint32_t>(size.QuadPart));
    if (failed(code)) {
        CloseHandle(file);
        return code;
    }
    DWORD read = 0;
    if (!ReadFile(file, contents.data, contents.count, &read, nullptr)) {
        code = lastFileError();
        CloseHandle(file);
        return code;
    }
    contents.count = read;
    CloseHandle(file);
    return ErrorCode::Ok;
}

ErrorCode writeWholeFile(Utf8View path, const uint8_t* data, uint32_t size) {
    SystemPath wide;
    if (!toSystemPath(path, wide)) return ErrorCode::InvalidArgument;
    HANDLE file = CreateFileW(wideChars(wide), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lastFileError();
    DWORD written = 0;
    if (!WriteFile(file, data, size, &written, nullptr)) {
        ErrorCode code = lastFileError();
        CloseHandle(file);
        return code;
    }
    CloseHandle(file);
    return written == size ? ErrorCode::Ok : ErrorCode::DiskFull;
}

ErrorCode createNewFile(Utf8View path) {
    SystemPath wide;
    if (!toSystemPath(path, wide)) return ErrorCode::InvalidArgument;
    HANDLE file = CreateFileW(wideChars(wide), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lastFileError();
    CloseHandle(file);
    return ErrorCode::Ok;
}

ErrorCode removeFile(Utf8View path) {
    SystemPath wide;
    if (!toSystemPath(path, wide)) return ErrorCode::InvalidArgument;
    return DeleteFileW(wideChars(wide)) ? ErrorCode::Ok : lastFileError();
}

ErrorCode absolutePath(Utf8View path, PathBuffer& full) {
    SystemPath wide;
    if (!toSystemPath(path, wide)) return ErrorCode::InvalidArgument;
    WideBuffer<kMaxPathBytes> absolute;
    DWORD length = GetFullPathNameW(wideChars(wide), kMaxPathBytes, wideChars(absolute), nullptr);
    if (length == 0) return lastFileError();
    if (length >= kMaxPathBytes) return ErrorCode::TooLarge;
    absolute.length = length;
    clearText(full);
    appendUtf16AsUtf8(full, viewOf(absolute));
    return full.length < full.capacity ? ErrorCode::Ok : ErrorCode::TooLarge;
}
