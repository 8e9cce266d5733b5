#include <gtest/gtest.h>

#include <string>

#include "core/text.h"

template <uint32_t C>
static std::string asString(const Utf8Buffer<C>& b) { return std::string(b.units, b.length); }
template <uint32_t C>
static std::u16string asString(const WideBuffer<C>& b) { return std::u16string(b.units, b.length); }
static Utf16View view16(const std::u16string& s) { return {s.data(), static_cast<uint32_t>(s.size())}; }
static Utf8View view8(const std::string& s) { return {s.data(), static_cast<uint32_t>(s.size())}; }

TEST(Utf16Append, NeverSplitsASurrogatePairAndStopsWhenFull) {
    std::u16string text = u"abc\xD83C\xDFB9";  // the fourth unit is a high surrogate
    WideBuffer<4> b = {};
    appendText(b, view16(text));
    EXPECT_EQ(asString(b), u"abc");
    WideBuffer<5> whole = {};
    appendText(whole, view16(text));
    EXPECT_EQ(asString(whole), text);
    assignText(b, viewOf(u"abcdef"));  // replaces what was there
    EXPECT_EQ(asString(b), u"abcd");
    appendUnit(b, u'z');
    EXPECT_EQ(asString(b), u"abcd");
}

TEST(Utf16Terminate, NeedsRoomOrCutsWithoutLeavingAHalfPair) {
    WideBuffer<4> letters = {};
    assignText(letters, viewOf(u"abcd"));
    EXPECT_FALSE(terminateText(letters));
    terminateTextCutting(letters);
    EXPECT_EQ(asString(letters), u"abc");
    EXPECT_TRUE(terminateText(letters));
    EXPECT_EQ(letters.units[3], 0);
    WideBuffer<4> pair = {};
    assignText(pair, view16(u"ab\xD83C\xDFB9"));  // full, ending in a pair
    terminateTextCutting(pair);
    EXPECT_EQ(asString(pair), u"ab");
    EXPECT_EQ(pair.units[2], 0);
}

TEST(Utf16ToUtf8, JoinsPairsAndSkipsLoneSurrogatesAndWhatDoesNotFit) {
    Utf8Buffer<16> b = {};
    appendUtf16AsUtf8(b, view16(std::u16string(u"ab\xDC00" u"c")));
    EXPECT_EQ(asString(b), "abc");
    Utf8Buffer<16> trailing = {};
    appendUtf16AsUtf8(trailing, view16(std::u16string(u"x\xD83C")));
    EXPECT_EQ(asString(trailing), "x");
    Utf8Buffer<16> pair = {};
    appendUtf16AsUtf8(pair, viewOf(u"\U0001F3B9\u00E9\u20AC"));
    EXPECT_EQ(asString(pair), "\xF0\x9F\x8E\xB9\xC3\xA9\xE2\x82\xAC");
    Utf8Buffer<8> full = {};
    appendText(full, viewOf("1234567"));
    appendUtf16AsUtf8(full, viewOf(u"\u00E9Z"));  // no room for the two bytes, room for the letter
    EXPECT_EQ(asString(full), "1234567Z");
}

TEST(Utf8ToUtf16, DecodesAndDropsWhatCannotBeStored) {
    WideBuffer<16> b = {};
    appendUtf8AsUtf16(b, viewOf("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB9"));
    EXPECT_EQ(asString(b), u"a\u00E9\u20AC\U0001F3B9");
    WideBuffer<3> oneLeft = {};  // a four-byte character with one unit of room stores nothing
    appendText(oneLeft, viewOf(u"ab"));
    appendUtf8AsUtf16(oneLeft, viewOf("\xF0\x9F\x8E\xB9"));
    EXPECT_EQ(asString(oneLeft), u"ab");
    // stray continuation, 0xFF, then a lead byte whose sequence runs past the end:
    // the cut lead byte is skipped alone; its continuation byte is then stray
    WideBuffer<16> stray = {};
    appendUtf8AsUtf16(stray, view8(std::string("a\x80" "b\xFF" "c\xE2\x82")));
    EXPECT_EQ(asString(stray), u"abc");
    WideBuffer<16> tooHigh = {};
    appendUtf8AsUtf16(tooHigh, view8(std::string("\xF4\x90\x80\x80" "d")));  // U+110000
    EXPECT_EQ(asString(tooHigh), u"d");
}

TEST(Utf8Cut, NeverSplitsACharacter) {
    EXPECT_EQ(cutUtf8(viewOf("abcdefghi"), 8), 8u);
    EXPECT_EQ(cutUtf8(viewOf("abcdefg\xC3\xA9"), 8), 7u);
    EXPECT_EQ(cutUtf8(viewOf("ab\xE2\x82\xAC"), 4), 2u);
    EXPECT_EQ(cutUtf8(view8(std::string("\x80\x80\x80\x80")), 2), 0u);
    EXPECT_EQ(cutUtf8(viewOf("abc"), 8), 3u);
    Utf8Buffer<8> b = {};
    appendText(b, viewOf("abcdef"));
    appendText(b, viewOf("\xC3\xA9\xC3\xA9"));
    EXPECT_EQ(asString(b), "abcdef\xC3\xA9");
    assignText(b, viewOf("\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC"));
    EXPECT_EQ(asString(b), "\xE2\x82\xAC\xE2\x82\xAC");
}

TEST(Decimal, PrintsAndCutsDigits) {
    WideBuffer<16> b = {};
    appendSigned(b, -5);
    appendUnit(b, u' ');
    appendUnsigned(b, 0);
    appendUnit(b, u' ');
    appendSigned(b, INT32_MIN);
    appendUnit(b, u' ');  // the buffer is full: nothing more goes in
    EXPECT_EQ(asString(b), u"-5 0 -2147483648");
    WideBuffer<10> max = {};
    appendUnsigned(max, UINT32_MAX);
    EXPECT_EQ(asString(max), u"4294967295");
    Utf8Buffer<4> small = {};
    appendText(small, viewOf("n"));
    appendUnsigned(small, 98765);
    EXPECT_EQ(asString(small), "n987");
}

TEST(TextEquals, IsExact) {
    EXPECT_TRUE(textEquals(viewOf("Edit"), viewOf("Edit")));
    EXPECT_FALSE(textEquals(viewOf("Edit"), viewOf("edit")));
    EXPECT_FALSE(textEquals(viewOf(u"Button"), viewOf(u"Butto")));
}

// The paths below are written with "\\"; each is tried with this system's separator.
static std::string withSeparator(std::string path) {
    for (char& c : path)
        if (c == '\\') c = kPathSeparator;
    return path;
}

TEST(PathBaseName, TakesThePartAfterTheLastSeparatorWithoutExtension) {
    struct Case {
        const char* path;
        const char* base;
    } cases[] = {
        {"C:\\Audio\\Kick drum.wav", "Kick drum"},
        {"C:\\Cards\\Drums.vxcor", "Drums"},
        {"C:\\a.b\\name.x.wav", "name.x"},
        {"C:\\dir\\noext", "noext"},
        {"C:\\dir\\.hidden", ""},
        {"no-backslash.wav", ""},
        {"C:\\dir\\", ""},
    };
    for (const Case& c : cases) {
        std::string path = withSeparator(c.path);
        Utf8View base = pathBaseName(Utf8View{path.data(), uint32_t(path.size())});
        EXPECT_EQ(std::string(base.units, base.length), c.base) << path;
    }
    // The other system's separator is an ordinary character.
    const char* foreign = kPathSeparator == '/' ? "x/C:\\dir\\Kick.wav" : "x\\C:/dir/Kick.wav";
    Utf8View base = pathBaseName(viewOf(foreign));
    EXPECT_EQ(std::string(base.units, base.length), kPathSeparator == '/' ? "C:\\dir\\Kick" : "C:/dir/Kick");
}
