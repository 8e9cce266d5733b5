#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "cardfile/card_file.h"
#include "core/text_win.h"
#include "test_files.h"

// Another program holding the card-file open without letting it be deleted,
// as virus scanners and sync tools do for a moment: the save waits for it.

namespace {

HANDLE holdOpen(const std::string& path) {
    WideBuffer<261> wide = {};
    appendUtf8AsUtf16(wide, viewOf(path));
    terminateText(wide);
    return CreateFileW(wideChars(wide), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

TEST(CardFileSaveWin, AFileHeldByAnotherProgramIsReplacedOnceItLetsGo) {
    ScratchFolder folder;
    std::string path = folder.file("drums.vxcor");
    CardDocument saved = {}, changed = {};
    resetDocument(saved);
    resetDocument(changed);
    assignText(changed.name, viewOf("Changed"));
    ASSERT_EQ(writeCardFile(saved, viewOf(path)), ErrorCode::Ok);
    const std::vector<uint8_t> before = readFileBytes(path);

    // Held throughout: refused after the retries, the old file as it was.
    HANDLE held = holdOpen(path);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DWORD start = GetTickCount();
    EXPECT_EQ(writeCardFile(changed, viewOf(path)), ErrorCode::AccessDenied);
    DWORD waited = GetTickCount() - start;
    EXPECT_GE(waited, 200u);
    EXPECT_TRUE(readFileBytes(path) == before);
    WIN32_FILE_ATTRIBUTE_DATA ignored;
    WideBuffer<261> temporary = {};
    appendUtf8AsUtf16(temporary, viewOf(path + ".saving"));
    terminateText(temporary);
    EXPECT_FALSE(GetFileAttributesExW(wideChars(temporary), GetFileExInfoStandard, &ignored));

    // Let go of after a moment: the save goes through.
    std::thread release([held] {
        Sleep(60);
        CloseHandle(held);
    });
    EXPECT_EQ(writeCardFile(changed, viewOf(path)), ErrorCode::Ok);
    release.join();
    EXPECT_EQ(readFileBytes(path)[10], 'C');
    EXPECT_EQ(readFileBytes(path)[11], 'h');
    releaseDocument(saved);
    releaseDocument(changed);
}
