#pragma once
#include <cstdint>

#include "core/text.h"

// The arguments of one command, UTF-8.
struct Arguments {
    int count;
    const char* const* values;
};

inline Utf8View argumentView(const char* argument) { return viewOf(argument); }
bool argumentIs(const char* argument, const char* expected);

// Whole numbers without sign, as people type them; false for anything else.
bool parseUnsigned(const char* text, uint32_t& value);
// A decimal number, sign and fraction allowed; false for anything else.
bool parseDecimal(const char* text, double& value);
