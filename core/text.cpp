#include "core/text.h"

#include <cstring>

Utf8View viewOf(const char* zeroTerminated) {
    uint32_t length = 0;
    if (zeroTerminated)
        while (zeroTerminated[length]) ++length;
    return {zeroTerminated, length};
}

Utf16View viewOf(const char16_t* zeroTerminated) {
    uint32_t length = 0;
    if (zeroTerminated)
        while (zeroTerminated[length]) ++length;
    return {zeroTerminated, length};
}

static bool isContinuationByte(char c) { return (static_cast<uint8_t>(c) & 0xC0) == 0x80; }
static bool isHighSurrogate(uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
static bool isLowSurrogate(uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

uint32_t cutUtf8(Utf8View text, uint32_t limit) {
    if (text.length <= limit) return text.length;
    for (uint32_t m = limit; m >= 1; --m)
        if (!isContinuationByte(text.units[m])) return m;
    return 0;
}

uint32_t decodeUtf8(Utf8View text, uint32_t at, uint32_t& codePoint) {
    uint8_t lead = static_cast<uint8_t>(text.units[at]);
    uint32_t extra;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (extra > text.length - at - 1) return 0;
    for (uint32_t k = 1; k <= extra; ++k)
        codePoint = (codePoint << 6) | (static_cast<uint8_t>(text.units[at + k]) & 0x3F);
    if (codePoint > 0x10FFFF) return 0;
    return extra + 1;
}

template <typename Unit>
static bool equalUnits(TextView<Unit> a, TextView<Unit> b) {
    if (a.length != b.length) return false;
    for (uint32_t i = 0; i < a.length; ++i)
        if (a.units[i] != b.units[i]) return false;
    return true;
}

bool textEquals(Utf8View a, Utf8View b) { return equalUnits(a, b); }
bool textEquals(Utf16View a, Utf16View b) { return equalUnits(a, b); }

void fillBytes(void* destination, uint32_t count, uint8_t value) {
    if (count) memset(destination, value, count);
}

namespace text_detail {

void appendUtf16(char16_t* units, uint32_t& length, uint32_t capacity, Utf16View text) {
    uint32_t room = capacity - length;
    uint32_t count = text.length;
    if (count > room) {
        count = room;
        // Never split a surrogate pair.
        if (count > 0 && isHighSurrogate(text.units[count - 1])) --count;
    }
    for (uint32_t i = 0; i < count; ++i) units[length + i] = text.units[i];
    length += count;
}

void appendUtf8(char* units, uint32_t& length, uint32_t capacity, Utf8View text) {
    uint32_t count = cutUtf8(text, capacity - length);
    for (uint32_t i = 0; i < count; ++i) units[length + i] = text.units[i];
    length += count;
}

void appendUtf16AsUtf8(char* units, uint32_t& length, uint32_t capacity, Utf16View text) {
    uint32_t i = 0;
    while (length < capacity && i < text.length) {
        uint32_t c = text.units[i++];
        if (isHighSurrogate(c)) {
            if (i == text.length) continue;  // a high surrogate at the end is dropped
            uint32_t next = text.units[i++];
            c = 0x10000 + ((c & 0x3FF) << 10) + (next & 0x3FF);
        } else if (isLowSurrogate(c)) {
            continue;
        }
        uint8_t encoded[4];
        uint32_t size;
        if (c < 0x80) {
            encoded[0] = static_cast<uint8_t>(c);
            size = 1;
        } else if (c < 0x800) {
            encoded[0] = static_cast<uint8_t>(0xC0 | (c >> 6));
            encoded[1] = static_cast<uint8_t>(0x80 | (c & 0x3F));
            size = 2;
        } else if (c < 0x10000) {
            encoded[0] = static_cast<uint8_t>(0xE0 | (c >> 12));
            encoded[1] = static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F));
            encoded[2] = static_cast<uint8_t>(0x80 | (c & 0x3F));
            size = 3;
        } else {
            encoded[0] = static_cast<uint8_t>(0xF0 | (c >> 18));
            encoded[1] = static_cast<uint8_t>(0x80 | ((c >> 12) & 0x3F));
            encoded[2] = static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F));
            encoded[3] = static_cast<uint8_t>(0x80 | (c & 0x3F));
            size = 4;
        }
        // A character that does not fit is skipped; a shorter one after it may still fit.
        if (size > capacity - length) continue;
        for (uint32_t k = 0; k < size; ++k) units[length++] = static_cast<char>(encoded[k]);
    }
}

void appendUtf8AsUtf16(char16_t* units, uint32_t& length, uint32_t capacity, Utf8View text) {
    uint32_t i = 0;
    while (length < capacity && i < text.length) {
        uint32_t c = 0;
        uint32_t size = decodeUtf8(text, i, c);
        if (size == 0) {
            ++i;  // skipped by itself
            continue;
        }
        i += size;
        if (c < 0x10000) {
            units[length++] = static_cast<char16_t>(c);
        } else if (capacity - length >= 2) {
            c -= 0x10000;
            units[length++] = static_cast<char16_t>(0xD800 + (c >> 10));
            units[length++] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        }
    }
}

template <typename Unit>
static void appendDigits(Unit* units, uint32_t& length, uint32_t capacity, uint32_t value) {
    char digits[10];
    uint32_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value);
    while (count > 0 && length < capacity) units[length++] = static_cast<Unit>(digits[--count]);
}

void appendUnsigned(char16_t* units, uint32_t& length, uint32_t capacity, uint32_t value) {
    appendDigits(units, length, capacity, value);
}

void appendSigned(char16_t* units, uint32_t& length, uint32_t capacity, int32_t value) {
    uint32_t magnitude = static_cast<uint32_t>(value);
    if (value < 0) {
        if (length < capacity) units[length++] = u'-';
        magnitude = 0u - magnitude;
    }
    appendDigits(units, length, capacity, magnitude);
}

void appendUnsigned(char* units, uint32_t& length, uint32_t capacity, uint32_t value) {
    appendDigits(units, length, capacity, value);
}

}  // namespace text_detail

Utf8View pathBaseName(Utf8View path) {
    uint32_t start = path.length;
    for (uint32_t i = path.length; i > 0; --i)
        if (path.units[i - 1] == kPathSeparator) {
            start = i;
            break;
        }
    if (start == path.length) return {path.units, 0};
    uint32_t stop = path.length;
    for (uint32_t i = path.length; i > start; --i)
        if (path.units[i - 1] == '.') {
            stop = i - 1;
            break;
        }
    return {path.units + start, stop - start};
}
