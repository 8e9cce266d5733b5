#include "cli/cli_arguments.h"

#include <cstring>

bool argumentIs(const char* argument, const char* expected) { return strcmp(argument, expected) == 0; }

bool parseUnsigned(const char* text, uint32_t& value) {
    if (!*text) return false;
    uint64_t v = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return false;
        v = v * 10 + uint64_t(*c - '0');
        if (v > UINT32_MAX) return false;
    }
    value = uint32_t(v);
    return true;
}

bool parseDecimal(const char* text, double& value) {
    const char* c = text;
    bool negative = false;
    if (*c == '-' || *c == '+') negative = *c++ == '-';
    double v = 0;
    bool digits = false;
    for (; *c >= '0' && *c <= '9'; ++c, digits = true) v = v * 10 + (*c - '0');
    if (*c == '.') {
        double scale = 0.1;
        for (++c; *c >= '0' && *c <= '9'; ++c, digits = true, scale /= 10) v += (*c - '0') * scale;
    }
    if (*c || !digits) return false;
    value = negative ? -v : v;
    return true;
}
