#include "app/window_title.h"

static void appendHex16(VersionQueryPath& path, uint16_t value) {
    static const char16_t kDigits[] = u"0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4) appendUnit(path, kDigits[(value >> shift) & 0xF]);
}

void buildVersionQueryPath(VersionQueryPath& path, uint16_t language, uint16_t codePage, Utf16View leaf) {
    assignText(path, viewOf(u"\\StringFileInfo\\"));
    appendHex16(path, language);
    appendHex16(path, codePage);
    appendUnit(path, u'\\');
    appendText(path, leaf);
}

void appendVersionSuffix(ApplicationTitle& title, uint32_t versionMostSignificant, uint32_t versionLeastSignificant) {
    appendText(title, viewOf(u" v"));
    appendUnsigned(title, versionMostSignificant >> 16);
    appendUnit(title, u'.');
    appendUnsigned(title, versionMostSignificant & 0xFFFF);
    appendUnit(title, u'.');
    appendUnsigned(title, versionLeastSignificant >> 16);
}

void buildWindowTitle(WindowTitle& title, Utf16View applicationTitle, Utf8View cardFilePath, bool modified) {
    assignText(title, applicationTitle);
    if (cardFilePath.length != 0) {
        appendText(title, viewOf(u" - "));
        appendUtf8AsUtf16(title, pathBaseName(cardFilePath));
    } else {
        appendText(title, viewOf(u" - Unnamed"));
    }
    if (modified) appendUnit(title, u'*');
}
