#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "run_process.h"
#include "small_disk_posix.h"
#include "test_files.h"

// The report as a new user made it: `add` on a disk with too little room
// failed with "the disk is full", and the card-file that was good is gone.
TEST(CliFullDisk, AddOnAFullDiskKeepsTheCardFileThatWasThere) {
    ScratchFolder folder;
    SmallDisk disk(folder.file("disk"), 256 * 1024);
    if (!disk.mounted()) GTEST_SKIP() << disk.reason();
    std::string card = folder.file("disk/drums.vxcor");
    std::string sample = std::string(CORVANE_FIXTURES_DIR) + "/wav_s16_stereo.wav";
    ProcessResult r = runProcess(CORVANE_CLI, {"new", card}, folder.path());
    ASSERT_EQ(r.status, 0) << r.err;
    r = runProcess(CORVANE_CLI, {"add", card, sample}, folder.path());
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<uint8_t> before = readFileBytes(card);
    disk.fill();

    r = runProcess(CORVANE_CLI, {"add", card, sample}, folder.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Can't save the card-file: the disk is full"), std::string::npos) << r.err;
    EXPECT_TRUE(readFileBytes(card) == before) << "the card-file changed";
    EXPECT_NE(access((card + ".saving").c_str(), F_OK), 0) << "the temporary file was left behind";
}
