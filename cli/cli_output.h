#pragma once
#include <cstdint>
#include <cstdio>

#include "core/error_code.h"
#include "core/text.h"

// Printing for the command line: UTF-8 on both systems.

void printText(FILE* out, Utf8View text);
template <uint32_t C>
void printText(FILE* out, const WideBuffer<C>& text) {
    Utf8Buffer<4 * C> utf8 = {};
    appendUtf16AsUtf8(utf8, viewOf(text));
    printText(out, viewOf(utf8));
}

// A JSON string: quoted, escaped, with bytes that are not UTF-8 as U+FFFD.
void printJsonString(FILE* out, Utf8View text);

// "corvane-cli: <file>: <what>" on standard error.
void printFileError(Utf8View file, const char* what);

// The reason for a failure, in words.
const char* errorCodeText(ErrorCode code);
