#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "cardfile/card_file.h"
#include "import/import_sample.h"
#include "small_disk_posix.h"
#include "test_files.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Card {
    CardDocument document = {};
    explicit Card(uint32_t samples) {
        resetDocument(document);
        if (samples == 0) return;
        Instrument* instrument = appendInstrument(document);
        EXPECT_EQ(resizeBuffer(instrument->samples, samples), ErrorCode::Ok);
        for (uint32_t i = 0; i < samples; ++i) instrument->samples.data[i] = float(i % 100) / 100.0f;
        instrument->end = samples;
    }
    ~Card() { releaseDocument(document); }
};

}  // namespace

// The report that started the safe save: on a disk with too little room, the
// card-file that was good before was gone, truncated in place.
TEST(CardFileSavePosix, OnAFullDiskTheOldFileStaysAsItWas) {
    ScratchFolder folder;
    SmallDisk disk(folder.file("disk"), 256 * 1024);
    if (!disk.mounted()) GTEST_SKIP() << disk.reason();
    std::string path = folder.file("disk/drums.vxcor");
    Card saved(1000), larger(60000);
    ASSERT_EQ(writeCardFile(saved.document, viewOf(path)), ErrorCode::Ok);
    const Bytes before = readFileBytes(path);
    disk.fill();

    EXPECT_EQ(writeCardFile(larger.document, viewOf(path)), ErrorCode::DiskFull);
    EXPECT_TRUE(readFileBytes(path) == before);
    EXPECT_NE(access((path + ".saving").c_str(), F_OK), 0) << "the temporary file was left behind";
}

TEST(CardFileSavePosix, ALinkStaysALinkAndTheFileKeepsItsPermissions) {
    ScratchFolder folder;
    std::string real = folder.file("real.vxcor"), link = folder.file("link.vxcor");
    Card first(10), second(20);
    ASSERT_EQ(writeCardFile(first.document, viewOf(real)), ErrorCode::Ok);
    ASSERT_EQ(chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(symlink(real.c_str(), link.c_str()), 0);

    ASSERT_EQ(writeCardFile(second.document, viewOf(link)), ErrorCode::Ok);
    struct stat info;
    ASSERT_EQ(lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(readFileBytes(real).size(), 38u + 40 + 4 * 20);
}

// A name that is not a plain file is never renamed over.
TEST(CardFileSavePosix, ADeviceOrAPipeIsNotReplaced) {
    ScratchFolder folder;
    std::string pipe = folder.file("pipe.vxcor");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    Card card(10);
    EXPECT_EQ(writeCardFile(card.document, viewOf(pipe)), ErrorCode::CannotOpen);
    struct stat info;
    ASSERT_EQ(stat(pipe.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    // Nor is a pipe read as a card-file or a sample: opening it must not wait for a writer.
    EXPECT_EQ(readCardFile(card.document, viewOf(pipe)), ErrorCode::CannotOpen);
    std::string samplePipe = folder.file("pipe.wav");
    ASSERT_EQ(mkfifo(samplePipe.c_str(), 0644), 0);
    Instrument instrument = {};
    EXPECT_EQ(importSample(instrument, viewOf(samplePipe)), ErrorCode::CannotOpen);
}
