#include <windows.h>

#include "core/safe_save.h"
#include "core/system_path_win.h"

namespace {

// Refusals that last only while another program (a virus scanner, a sync
// tool, an indexer) holds the file: ReplaceFileW names them 1175 and 1176.
bool isBusy(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_UNABLE_TO_REMOVE_REPLACED || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

ErrorCode translate(DWORD error) {
    // A file held by another program is, to the user, a file they may not write now.
    if (isBusy(error)) return ErrorCode::AccessDenied;
    ErrorCode code = fromSystemError(error);
    return code == ErrorCode::Ok ? ErrorCode::CannotOpen : code;
}

ErrorCode lastError() { return translate(GetLastError()); }

HANDLE handleOf(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

ErrorCode inspect(void*, Utf8View path, SaveTarget& target) {
    SystemPath wide;
    if (!toSystemPath(path, wide)) return ErrorCode::InvalidArgument;
    target = {};
    clearText(target.path);
    appendText(target.path, path);
    DWORD attributes = GetFileAttributesW(wideChars(wide));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        // A new file: the create step reports a missing folder.
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ErrorCode::Ok : translate(error);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ErrorCode::CannotOpen;
    target.exists = true;
    target.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    return ErrorCode::Ok;
}

ErrorCode create(void*, Utf8View path, const SaveTarget&, intptr_t& handle) {
    SystemPath wide;
    if (!toSystemPath(path, wide)) return ErrorCode::InvalidArgument;
    HANDLE file = CreateFileW(wideChars(wide), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lastError();
    handle = reinterpret_cast<intptr_t>(file);
    return ErrorCode::Ok;
}

ErrorCode write(void*, intptr_t handle, const uint8_t* data, uint32_t size, uint32_t& written) {
    DWORD put = 0;
    BOOL wrote = WriteFile(handleOf(handle), data, size, &put, nullptr);
    written = put;
    return wrote ? ErrorCode::Ok : lastError();
}

ErrorCode flush(void*, intptr_t handle) { return FlushFileBuffers(handleOf(handle)) ? ErrorCode::Ok : lastError(); }

ErrorCode closeFile(void*, intptr_t handle) { return CloseHandle(handleOf(handle)) ? ErrorCode::Ok : lastError(); }

ErrorCode replace(void*, Utf8View temporary, const SaveTarget& target, bool& busy) {
    busy = false;
    SystemPath from, to;
    if (!toSystemPath(temporary, from) || !toSystemPath(viewOf(target.path), to)) return ErrorCode::InvalidArgument;
    // ReplaceFileW keeps the old file's attributes, permissions and creation
    // time; with no old file it has nothing to keep.
    if (target.exists &&
        ReplaceFileW(wideChars(to), wideChars(from), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return ErrorCode::Ok;
    DWORD error = target.exists ? GetLastError() : ERROR_FILE_NOT_FOUND;
    // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2: the old file is already off its
    // name; the new one still has to take it. A file that went since it was
    // looked at has nothing to replace either.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        if (MoveFileExW(wideChars(from), wideChars(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return ErrorCode::Ok;
        error = GetLastError();
    }
    busy = isBusy(error);
    return translate(error);
}

ErrorCode removePath(void*, Utf8View path) {
    SystemPath wide;
    if (!toSystemPath(path, wide)) return ErrorCode::InvalidArgument;
    return DeleteFileW(wideChars(wide)) ? ErrorCode::Ok : lastError();
}

// MOVEFILE_WRITE_THROUGH and ReplaceFileW leave nothing to flush.
void syncFolder(void*, Utf8View) {}

void pause(void*, uint32_t milliseconds) { Sleep(milliseconds); }

const SaveCalls kSystemCalls = {nullptr, inspect, create, write, flush, closeFile, replace, removePath, syncFolder, pause};

}  // namespace

const SaveCalls& systemSaveCalls() { return kSystemCalls; }
