#pragma once
#include "core/error_code.h"

// Translates an errno value the way fromSystemError translates Windows codes.
ErrorCode fromErrno(int error);

// The errno of a call that just failed; CannotOpen when it gives no reason.
ErrorCode lastErrnoError();
