#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cardfile/card_file.h"
#include "core/safe_save.h"
#include "test_files.h"

// The steps of a save fail through a table that wraps the system's own calls,
// so everything that does not fail really happens on the disk.

namespace {

using Bytes = std::vector<uint8_t>;
using Names = std::vector<std::string>;

enum class Fault { None, Create, WriteHalfThenFull, Flush, Close, Replace, ReplaceBusy };

const SaveCalls& sys() { return systemSaveCalls(); }

// The system's own calls with one step failing. Those calls keep no context
// of their own (theirs is null), so the ones not wrapped here share this one.
struct Faulty {
    Fault fault;
    uint32_t busyTimes;  // ReplaceBusy: refusals before the system's own replace runs
    uint32_t writes = 0, replaces = 0, pauses = 0, pausedMs = 0;
    SaveCalls calls = sys();

    static Faulty& of(void* context) { return *static_cast<Faulty*>(context); }

    explicit Faulty(Fault f, uint32_t busy = 0) : fault(f), busyTimes(busy) {
        calls.context = this;
        calls.create = [](void* c, Utf8View path, const SaveTarget& like, intptr_t& handle) {
            return of(c).fault == Fault::Create ? ErrorCode::AccessDenied : sys().create(c, path, like, handle);
        };
        calls.write = [](void* c, intptr_t handle, const uint8_t* data, uint32_t size, uint32_t& written) {
            if (of(c).fault != Fault::WriteHalfThenFull) return sys().write(c, handle, data, size, written);
            // The disk fills up half-way through the first piece: half of it really lands.
            return of(c).writes++ ? ErrorCode::DiskFull : sys().write(c, handle, data, size / 2, written);
        };
        calls.flush = [](void* c, intptr_t handle) {
            return of(c).fault == Fault::Flush ? ErrorCode::DataError : sys().flush(c, handle);
        };
        calls.close = [](void* c, intptr_t handle) {
            ErrorCode code = sys().close(c, handle);
            return of(c).fault == Fault::Close ? ErrorCode::DiskFull : code;
        };
        calls.replace = [](void* c, Utf8View temporary, const SaveTarget& target, bool& busy) {
            Faulty& f = of(c);
            busy = f.fault == Fault::ReplaceBusy && ++f.replaces <= f.busyTimes;
            if (busy) return ErrorCode::AccessDenied;
            return f.fault == Fault::Replace ? ErrorCode::NotFound : sys().replace(c, temporary, target, busy);
        };
        calls.pause = [](void* c, uint32_t milliseconds) {
            ++of(c).pauses;
            of(c).pausedMs += milliseconds;
        };
    }
};

// An old card-file in a folder of its own, and an empty card (38 bytes) to save over it.
struct CardFileSave : ::testing::Test {
    ScratchFolder folder;
    const std::string path = folder.file("drums.vxcor");
    const Bytes before = {'o', 'l', 'd'};
    CardDocument card = {};

    void SetUp() override {
        resetDocument(card);
        writeFileBytes(path, before);
    }
    Names names() const {
        Names names;
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(folder.path())))
            names.push_back(entry.path().filename().u8string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

}  // namespace

// On a failure the old file stays byte for byte as it was, and nothing else is left in its folder.
TEST_F(CardFileSave, AFailureAtAnyStepLeavesTheOldFileAndNoTemporaryFile) {
    const struct { const char* what; Fault fault; ErrorCode expected; } cases[] = {
        {"the temporary file cannot be created", Fault::Create, ErrorCode::AccessDenied},
        {"the disk fills up half-way through the writing", Fault::WriteHalfThenFull, ErrorCode::DiskFull},
        {"the flush to the disk fails", Fault::Flush, ErrorCode::DataError},
        {"the close reports a late write failure", Fault::Close, ErrorCode::DiskFull},
        {"the replace fails", Fault::Replace, ErrorCode::NotFound},
        {"the replace stays refused", Fault::ReplaceBusy, ErrorCode::AccessDenied},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Faulty faulty(c.fault, kReplaceAttempts + 5);
        EXPECT_EQ(writeCardFile(card, viewOf(path), faulty.calls), c.expected);
        EXPECT_EQ(readFileBytes(path), before);
        EXPECT_EQ(names(), Names({"drums.vxcor"}));

        Faulty again(c.fault, kReplaceAttempts + 5);
        EXPECT_EQ(writeCardFile(card, viewOf(folder.file("new.vxcor")), again.calls), c.expected);
        EXPECT_EQ(names(), Names({"drums.vxcor"}));
    }
}

TEST_F(CardFileSave, AReplaceRefusedForAMomentIsTriedAgainForAbout250Ms) {
    Faulty briefly(Fault::ReplaceBusy, 3);
    ASSERT_EQ(writeCardFile(card, viewOf(path), briefly.calls), ErrorCode::Ok);
    EXPECT_EQ(briefly.replaces, 4u);
    EXPECT_EQ(briefly.pauses, 3u);
    EXPECT_EQ(readFileBytes(path).size(), 38u);
    EXPECT_EQ(names(), Names({"drums.vxcor"}));

    Faulty always(Fault::ReplaceBusy, 1000);
    EXPECT_EQ(writeCardFile(card, viewOf(path), always.calls), ErrorCode::AccessDenied);
    EXPECT_EQ(always.replaces, kReplaceAttempts);
    EXPECT_GE(always.pausedMs, 200u);
    EXPECT_LE(always.pausedMs, 300u);
}

TEST_F(CardFileSave, NeitherAReadOnlyFileNorAStrayTemporaryFileIsOverwritten) {
    namespace fs = std::filesystem;
    fs::permissions(fs::u8path(path), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(writeCardFile(card, viewOf(path)), ErrorCode::AccessDenied);
    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_EQ(names(), Names({"drums.vxcor"}));
    fs::permissions(fs::u8path(path), fs::perms::owner_write, fs::perm_options::add);

    // A temporary file left by a save that a power cut ended is not ours to overwrite.
    const Bytes stray = {1, 2, 3};
    writeFileBytes(path + ".saving", stray);
    ASSERT_EQ(writeCardFile(card, viewOf(path)), ErrorCode::Ok);
    EXPECT_EQ(readFileBytes(path + ".saving"), stray);
    EXPECT_EQ(readFileBytes(path).size(), 38u);
    EXPECT_EQ(names(), Names({"drums.vxcor", "drums.vxcor.saving"}));
}
