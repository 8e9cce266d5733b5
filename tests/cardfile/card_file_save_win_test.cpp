#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "cardfile/card_file.h"
#include "test_files.h"

// Another program holding the card-file open without letting it be deleted,
// as virus scanners and sync tools do for a moment: the save waits for it.
TEST(CardFileSaveWin, AFileHeldByAnotherProgramIsReplacedOnceItLetsGo) {
    ScratchFolder folder;
    std::string path = folder.file("drums.vxcor");
    const std::vector<uint8_t> before = {'o', 'l', 'd'};
    writeFileBytes(path, before);
    CardDocument card = {};
    resetDocument(card);

    // Held throughout: refused after the retries, the old file as it was.
    HANDLE held = CreateFileW(std::filesystem::u8path(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(writeCardFile(card, viewOf(path)), ErrorCode::AccessDenied);
    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(path + ".saving")));

    // Let go of after a moment: the save, still trying, goes through.
    std::thread release([held] {
        Sleep(60);
        CloseHandle(held);
    });
    EXPECT_EQ(writeCardFile(card, viewOf(path)), ErrorCode::Ok);
    release.join();
    EXPECT_EQ(readFileBytes(path).size(), 38u);
}
