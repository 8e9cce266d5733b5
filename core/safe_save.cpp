#include "core/safe_save.h"

// "drums.vxcor.saving", or with a number when that name is taken (another
// save in progress, or one a power cut left behind).
static ErrorCode createTemporary(const SaveCalls& calls, const SaveTarget& target, PathBuffer& temporary,
                                 intptr_t& handle) {
    constexpr uint32_t kNames = 100;
    ErrorCode code = ErrorCode::AlreadyExists;
    for (uint32_t n = 1; n <= kNames && code == ErrorCode::AlreadyExists; ++n) {
        clearText(temporary);
        appendText(temporary, viewOf(target.path));
        appendText(temporary, viewOf(".saving"));
        if (n > 1) appendUnsigned(temporary, n);
        if (temporary.length >= temporary.capacity) return ErrorCode::TooLarge;
        code = calls.create(calls.context, viewOf(temporary), target, handle);
    }
    return code;
}

static ErrorCode writePieces(const SaveCalls& calls, intptr_t handle, const FilePiece* pieces, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* data = static_cast<const uint8_t*>(pieces[i].data);
        uint32_t done = 0;
        while (done < pieces[i].size) {
            uint32_t written = 0;
            ErrorCode code = calls.write(calls.context, handle, data + done, pieces[i].size - done, written);
            if (failed(code)) return code;
            if (written == 0) return ErrorCode::DiskFull;  // a write that makes no progress never will
            done += written;
        }
    }
    return ErrorCode::Ok;
}

static ErrorCode replaceTarget(const SaveCalls& calls, Utf8View temporary, const SaveTarget& target) {
    ErrorCode code = ErrorCode::Ok;
    for (uint32_t attempt = 1;; ++attempt) {
        bool busy = false;
        code = calls.replace(calls.context, temporary, target, busy);
        if (!failed(code) || !busy || attempt == kReplaceAttempts) return code;
        calls.pause(calls.context, kReplacePauseMs);
    }
}

ErrorCode saveFilePieces(const SaveCalls& calls, Utf8View path, const FilePiece* pieces, uint32_t count) {
    if (path.length == 0) return ErrorCode::InvalidArgument;
    SaveTarget target = {};
    ErrorCode code = calls.inspect(calls.context, path, target);
    if (failed(code)) return code;
    if (target.readOnly) return ErrorCode::AccessDenied;

    PathBuffer temporary;
    intptr_t handle = -1;
    code = createTemporary(calls, target, temporary, handle);
    if (failed(code)) return code;
    code = writePieces(calls, handle, pieces, count);
    if (!failed(code)) code = calls.flush(calls.context, handle);
    // Some file systems report a failed write only when the file is closed.
    ErrorCode closed = calls.close(calls.context, handle);
    if (!failed(code)) code = closed;
    if (!failed(code)) code = replaceTarget(calls, viewOf(temporary), target);
    if (failed(code)) {
        calls.remove(calls.context, viewOf(temporary));
        return code;
    }
    calls.syncFolder(calls.context, viewOf(target.path));
    return ErrorCode::Ok;
}

ErrorCode writeFilePieces(Utf8View path, const FilePiece* pieces, uint32_t count) {
    return saveFilePieces(systemSaveCalls(), path, pieces, count);
}
