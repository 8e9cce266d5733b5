#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "cardfile/card_file.h"
#include "import/import_sample.h"
#include "small_disk_posix.h"
#include "test_files.h"

// The report that started the safe save: on a disk with too little room, the
// card-file that was good before was gone, truncated in place.
TEST(CardFileSavePosix, OnAFullDiskTheOldFileStaysAsItWas) {
    ScratchFolder folder;
    SmallDisk disk(folder.file("disk"), 256 * 1024);
    if (!disk.mounted()) GTEST_SKIP() << disk.reason();
    std::string path = folder.file("disk/drums.vxcor");
    const std::vector<uint8_t> before(4000, 0x5A);
    writeFileBytes(path, before);
    disk.fill();

    CardDocument larger = {};
    resetDocument(larger);
    float* samples = nullptr;
    ASSERT_EQ(makeSamples(appendInstrument(larger)->samples, 60000, samples), ErrorCode::Ok);
    EXPECT_EQ(writeCardFile(larger, viewOf(path)), ErrorCode::DiskFull);
    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_NE(access((path + ".saving").c_str(), F_OK), 0) << "the temporary file was left behind";
    releaseDocument(larger);
}

// A link stays a link and its file keeps its permissions; a name that is not a
// plain file is neither replaced nor read (opening a pipe must not wait for a writer).
TEST(CardFileSavePosix, LinksAreFollowedAndPipesLeftAlone) {
    ScratchFolder folder;
    std::string real = folder.file("real.vxcor"), link = folder.file("link.vxcor");
    writeFileBytes(real, {1, 2, 3});
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);
    CardDocument card = {};
    resetDocument(card);
    ASSERT_EQ(writeCardFile(card, viewOf(link)), ErrorCode::Ok);
    struct stat info;
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(readFileBytes(real).size(), 38u);

    std::string pipe = folder.file("pipe.wav");  // a card-file or a sample
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    EXPECT_EQ(writeCardFile(card, viewOf(pipe)), ErrorCode::CannotOpen);
    ASSERT_EQ(stat(pipe.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(readCardFile(card, viewOf(pipe)), ErrorCode::CannotOpen);
    Instrument instrument = {};
    EXPECT_EQ(importSample(instrument, viewOf(pipe)), ErrorCode::CannotOpen);
}
