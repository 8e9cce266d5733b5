#pragma once
#include <cstdint>

// Fixed-capacity text: the program keeps no heap strings. UTF-8 inside the
// program, UTF-16 for the platform. Every helper cuts silently when the
// destination is full and never splits a character or a surrogate pair.

template <typename Unit>
struct TextView {
    const Unit* units;
    uint32_t length;
};
using Utf8View = TextView<char>;
using Utf16View = TextView<char16_t>;

template <typename Unit, uint32_t Capacity>
struct TextBuffer {
    static constexpr uint32_t capacity = Capacity;
    uint32_t length;
    Unit units[Capacity];
};
template <uint32_t Capacity> using Utf8Buffer = TextBuffer<char, Capacity>;
template <uint32_t Capacity> using WideBuffer = TextBuffer<char16_t, Capacity>;

// The view of a zero-terminated string, up to the terminator.
Utf8View viewOf(const char* zeroTerminated);
Utf16View viewOf(const char16_t* zeroTerminated);

template <typename Unit, uint32_t C>
TextView<Unit> viewOf(const TextBuffer<Unit, C>& buffer) { return {buffer.units, buffer.length}; }

// Length of the longest prefix of at most `limit` bytes that ends on a
// character boundary. Meant for text longer than `limit`; shorter text is kept whole.
uint32_t cutUtf8(Utf8View text, uint32_t limit);

// The code point that starts at byte `at`, and the number of bytes it takes;
// 0 for a byte that starts no character (a stray continuation byte, 0xF8 and
// above, a sequence running past the end, or a value beyond U+10FFFF).
// Continuation bytes contribute their low six bits without further checks.
uint32_t decodeUtf8(Utf8View text, uint32_t at, uint32_t& codePoint);

bool textEquals(Utf8View a, Utf8View b);
bool textEquals(Utf16View a, Utf16View b);

void fillBytes(void* destination, uint32_t count, uint8_t value);

// The untemplated workers behind the buffer helpers below.
namespace text_detail {
void appendUtf16(char16_t* units, uint32_t& length, uint32_t capacity, Utf16View text);
void appendUtf8(char* units, uint32_t& length, uint32_t capacity, Utf8View text);
void appendUtf16AsUtf8(char* units, uint32_t& length, uint32_t capacity, Utf16View text);
void appendUtf8AsUtf16(char16_t* units, uint32_t& length, uint32_t capacity, Utf8View text);
void appendUnsigned(char16_t* units, uint32_t& length, uint32_t capacity, uint32_t value);
void appendSigned(char16_t* units, uint32_t& length, uint32_t capacity, int32_t value);
void appendUnsigned(char* units, uint32_t& length, uint32_t capacity, uint32_t value);
}  // namespace text_detail

template <uint32_t C> void clearText(TextBuffer<char, C>& b) { b.length = 0; }
template <uint32_t C> void clearText(TextBuffer<char16_t, C>& b) { b.length = 0; }

template <uint32_t C> void appendText(WideBuffer<C>& b, Utf16View text) {
    text_detail::appendUtf16(b.units, b.length, C, text);
}
template <uint32_t C> void assignText(WideBuffer<C>& b, Utf16View text) {
    b.length = 0;
    text_detail::appendUtf16(b.units, b.length, C, text);
}
template <uint32_t C> void appendText(Utf8Buffer<C>& b, Utf8View text) {
    text_detail::appendUtf8(b.units, b.length, C, text);
}
template <uint32_t C> void assignText(Utf8Buffer<C>& b, Utf8View text) {
    b.length = 0;
    text_detail::appendUtf8(b.units, b.length, C, text);
}
template <uint32_t C> void appendUnit(WideBuffer<C>& b, char16_t unit) {
    if (b.length < C) b.units[b.length++] = unit;
}
// Stores a 0 unit behind the text for a platform call; false when full.
template <uint32_t C> bool terminateText(WideBuffer<C>& b) {
    if (b.length >= C) return false;
    b.units[b.length] = 0;
    return true;
}
// Terminates the text for a platform call, dropping its last unit when full,
// and a high surrogate that this leaves at the end without its pair.
template <uint32_t C> void terminateTextCutting(WideBuffer<C>& b) {
    if (b.length == C) {
        --b.length;
        if (b.length > 0 && (b.units[b.length - 1] & 0xFC00) == 0xD800) --b.length;
    }
    b.units[b.length] = 0;
}
template <uint32_t C> void appendUtf16AsUtf8(Utf8Buffer<C>& b, Utf16View text) {
    text_detail::appendUtf16AsUtf8(b.units, b.length, C, text);
}
template <uint32_t C> void appendUtf8AsUtf16(WideBuffer<C>& b, Utf8View text) {
    text_detail::appendUtf8AsUtf16(b.units, b.length, C, text);
}
template <uint32_t C> void appendUnsigned(WideBuffer<C>& b, uint32_t value) {
    text_detail::appendUnsigned(b.units, b.length, C, value);
}
template <uint32_t C> void appendSigned(WideBuffer<C>& b, int32_t value) {
    text_detail::appendSigned(b.units, b.length, C, value);
}
template <uint32_t C> void appendUnsigned(Utf8Buffer<C>& b, uint32_t value) {
    text_detail::appendUnsigned(b.units, b.length, C, value);
}

// The separator of folders in paths: "\" on Windows, "/" elsewhere. Only it
// counts (a Windows path with "/" keeps its whole text as the name's part).
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// The file's base name: after the last separator and before the last "." of
// that part. No separator, or a part starting with its last ".", gives empty.
Utf8View pathBaseName(Utf8View path);
