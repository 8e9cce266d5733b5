#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/text.h"

namespace {

template <typename U, uint32_t C>
std::basic_string<U> text(const TextBuffer<U, C>& b) { return std::basic_string<U>(b.units, b.length); }
Utf16View view16(const std::u16string& s) { return {s.data(), static_cast<uint32_t>(s.size())}; }
Utf8View view8(const std::string& s) { return {s.data(), static_cast<uint32_t>(s.size())}; }

}  // namespace

TEST(Utf16Buffer, NeverSplitsASurrogatePairAndStopsWhenFull) {
    const std::u16string withPair = u"abc\xD83C\xDFB9";  // the fourth unit is a high surrogate
    WideBuffer<4> b = {};
    appendText(b, view16(withPair));
    EXPECT_EQ(text(b), u"abc");
    assignText(b, viewOf(u"abcdef"));  // replaces what was there
    EXPECT_EQ(text(b), u"abcd");
    appendUnit(b, u'z');
    EXPECT_EQ(text(b), u"abcd");
    EXPECT_FALSE(terminateText(b));
    terminateTextCutting(b);
    EXPECT_EQ(text(b), u"abc");
    EXPECT_TRUE(terminateText(b));
    EXPECT_EQ(b.units[3], 0);

    WideBuffer<5> full = {};  // full, ending in a pair: cutting drops the whole pair
    appendText(full, view16(withPair));
    EXPECT_EQ(text(full), withPair);
    terminateTextCutting(full);
    EXPECT_EQ(text(full), u"abc");
    EXPECT_EQ(full.units[3], 0);
}

TEST(Utf16ToUtf8, JoinsPairsAndSkipsLoneSurrogatesAndWhatDoesNotFit) {
    const struct { std::u16string from; std::string to; } rows[] = {
        {u"ab\xDC00" u"c", "abc"},
        {u"x\xD83C", "x"},
        {u"\U0001F3B9\u00E9\u20AC", "\xF0\x9F\x8E\xB9\xC3\xA9\xE2\x82\xAC"},
        {u"123456789\u00E9Z", "123456789Z"},  // no room for the two bytes, room for the letter
    };
    for (const auto& row : rows) {
        Utf8Buffer<10> b = {};
        appendUtf16AsUtf8(b, view16(row.from));
        EXPECT_EQ(text(b), row.to);
    }
}

TEST(Utf8ToUtf16, DecodesAndDropsWhatCannotBeStored) {
    const struct { std::string from; std::u16string to; } rows[] = {
        {"a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB9", u"a\u00E9\u20AC\U0001F3B9"},
        {"abcd\xF0\x9F\x8E\xB9", u"abcd"},  // a four-byte character with one unit of room stores nothing
        // stray continuation, 0xFF, then a lead byte whose sequence runs past the end:
        // the cut lead byte is skipped alone; its continuation byte is then stray
        {"a\x80" "b\xFF" "c\xE2\x82", u"abc"},
        {"\xF4\x90\x80\x80" "d", u"d"},  // U+110000
    };
    for (const auto& row : rows) {
        WideBuffer<5> b = {};
        appendUtf8AsUtf16(b, view8(row.from));
        EXPECT_EQ(text(b), row.to);
    }
}

TEST(Utf8Cut, NeverSplitsACharacter) {
    EXPECT_EQ(cutUtf8(viewOf("abcdefghi"), 8), 8u);
    EXPECT_EQ(cutUtf8(viewOf("ab\xE2\x82\xAC"), 4), 2u);
    EXPECT_EQ(cutUtf8(view8(std::string("\x80\x80\x80\x80")), 2), 0u);
    EXPECT_EQ(cutUtf8(viewOf("abc"), 8), 3u);
    Utf8Buffer<8> b = {};
    appendText(b, viewOf("abcdef"));
    appendText(b, viewOf("\xC3\xA9\xC3\xA9"));
    EXPECT_EQ(text(b), "abcdef\xC3\xA9");
}

TEST(Decimal, PrintsAndCutsDigits) {
    WideBuffer<12> b = {};
    appendSigned(b, INT32_MIN);
    appendUnsigned(b, 0);
    appendSigned(b, -5);  // the buffer is full: nothing more goes in
    EXPECT_EQ(text(b), u"-21474836480");
    WideBuffer<10> max = {};
    appendUnsigned(max, UINT32_MAX);
    EXPECT_EQ(text(max), u"4294967295");
    Utf8Buffer<4> small = {};
    appendText(small, viewOf("n"));
    appendUnsigned(small, 98765);
    EXPECT_EQ(text(small), "n987");
}

TEST(TextEquals, IsExact) {
    EXPECT_TRUE(textEquals(viewOf("Edit"), viewOf("Edit")));
    EXPECT_FALSE(textEquals(viewOf("Edit"), viewOf("edit")));
    EXPECT_FALSE(textEquals(viewOf(u"Butto"), viewOf(u"Button")));
}

// The paths are written with "\\"; each is tried with this system's separator.
TEST(PathBaseName, TakesThePartAfterTheLastSeparatorWithoutExtension) {
    const struct { const char* path; const char* base; } cases[] = {
        {"C:\\Audio\\Kick drum.wav", "Kick drum"},
        {"C:\\Cards\\Drums.vxcor", "Drums"},
        {"C:\\a.b\\name.x.wav", "name.x"},
        {"C:\\dir\\noext", "noext"},
        {"C:\\dir\\.hidden", ""},
        {"no-backslash.wav", ""},
        {"C:\\dir\\", ""},
    };
    for (const auto& c : cases) {
        std::string path = c.path;
        std::replace(path.begin(), path.end(), '\\', kPathSeparator);
        Utf8View base = pathBaseName(view8(path));
        EXPECT_EQ(std::string(base.units, base.length), c.base) << path;
    }
    // The other system's separator is an ordinary character.
    const char* foreign = kPathSeparator == '/' ? "x/C:\\dir\\Kick.wav" : "x\\C:/dir/Kick.wav";
    Utf8View base = pathBaseName(viewOf(foreign));
    EXPECT_EQ(std::string(base.units, base.length), kPathSeparator == '/' ? "C:\\dir\\Kick" : "C:/dir/Kick");
}
