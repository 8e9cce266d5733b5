#pragma once
#include <windows.h>

#include "core/text.h"

// UTF-16 text as the Windows API takes it: the same 16-bit units.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

template <uint32_t C>
const wchar_t* wideChars(const WideBuffer<C>& buffer) {
    return reinterpret_cast<const wchar_t*>(buffer.units);
}
template <uint32_t C>
wchar_t* wideChars(WideBuffer<C>& buffer) {
    return reinterpret_cast<wchar_t*>(buffer.units);
}
inline Utf16View viewOfWide(const wchar_t* zeroTerminated) {
    return viewOf(reinterpret_cast<const char16_t*>(zeroTerminated));
}
