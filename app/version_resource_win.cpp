#include "app/version_resource_win.h"

#include <cstdlib>

#include "core/text_win.h"

// Reads one string of the version block's first translation into `text`;
// with `withVersion` the product version is appended as " vX.Y.Z".
static void readVersionString(ApplicationTitle& text, HMODULE module, Utf16View leaf, bool withVersion) {
    clearText(text);
    wchar_t modulePath[260];
    DWORD pathLength = GetModuleFileNameW(module, modulePath, 260);
    if (pathLength == 0 || pathLength >= 260) return;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(modulePath, &ignored);
    if (size == 0) return;
    void* block = malloc(size);
    if (!block) return;
    if (!GetFileVersionInfoW(modulePath, 0, size, block)) {
        free(block);
        return;
    }
    void* translation = nullptr;
    UINT translationBytes = 0;
    if (VerQueryValueW(block, L"\\VarFileInfo\\Translation", &translation, &translationBytes) && translation &&
        translationBytes >= 4) {
        const WORD* pair = static_cast<const WORD*>(translation);
        VersionQueryPath query;
        buildVersionQueryPath(query, pair[0], pair[1], leaf);
        void* value = nullptr;
        UINT valueLength = 0;
        if (terminateText(query) && VerQueryValueW(block, wideChars(query), &value, &valueLength) && value) {
            // The length counts the terminator.
            Utf16View found = {static_cast<const char16_t*>(value), valueLength ? valueLength - 1 : 0};
            appendText(text, found);
            VS_FIXEDFILEINFO* fixed = nullptr;
            UINT fixedBytes = 0;
            if (withVersion && VerQueryValueW(block, L"\\", reinterpret_cast<void**>(&fixed), &fixedBytes) &&
                fixed && fixedBytes >= sizeof(VS_FIXEDFILEINFO))
                appendVersionSuffix(text, fixed->dwProductVersionMS, fixed->dwProductVersionLS);
        }
    }
    free(block);
}

void buildApplicationTitle(ApplicationTitle& title, HMODULE module) {
    readVersionString(title, module, viewOf(u"ProductName"), true);
}

void readLegalNotice(ApplicationTitle& notice, HMODULE module) {
    readVersionString(notice, module, viewOf(u"LegalCopyright"), false);
}
