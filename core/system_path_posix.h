#pragma once
#include <cstring>

#include "core/text.h"

// Longest path, in bytes with its terminator, that the POSIX file layer hands to the system.
constexpr uint32_t kSystemPathBytes = 4096;

// The UTF-8 path with the terminator the system calls need; false when it is empty or too long.
inline bool toTerminatedPath(Utf8View path, char (&terminated)[kSystemPathBytes]) {
    if (path.length == 0 || path.length >= sizeof terminated) return false;
    memcpy(terminated, path.units, path.length);
    terminated[path.length] = 0;
    return true;
}
