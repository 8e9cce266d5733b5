#pragma once
#include <windows.h>

#include "core/error_code.h"
#include "core/text_win.h"

// A path as the wide file functions take it: UTF-16, terminated, at most MAX_PATH units.
using SystemPath = WideBuffer<MAX_PATH + 1>;

// False when the path is empty or does not fit.
inline bool toSystemPath(Utf8View path, SystemPath& wide) {
    clearText(wide);
    appendUtf8AsUtf16(wide, path);
    return path.length != 0 && terminateText(wide);
}

// The system reported a failure; CannotOpen when it gave no reason.
inline ErrorCode lastFileError() {
    ErrorCode code = fromSystemError(GetLastError());
    return code == ErrorCode::Ok ? ErrorCode::CannotOpen : code;
}
