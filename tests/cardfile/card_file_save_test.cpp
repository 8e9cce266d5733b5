#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cardfile/card_file.h"
#include "core/safe_save.h"
#include "test_files.h"

// A save that fails at any step leaves the card-file that was there byte for
// byte as it was, and nothing else in its folder. The steps fail through a
// table that wraps the system's own calls, so everything that does not fail
// really happens on the disk.

namespace {

using Bytes = std::vector<uint8_t>;

enum class Fault { None, Create, WriteHalfThenFull, Flush, Close, Replace, ReplaceBusy };

struct Faulty {
    Fault fault = Fault::None;
    uint32_t busyTimes = 0;  // ReplaceBusy: refusals before the system's own replace runs
    uint32_t writes = 0, replaces = 0, pauses = 0, pausedMs = 0;
    SaveCalls calls = {};

    const SaveCalls& system() const { return systemSaveCalls(); }
    static Faulty& of(void* context) { return *static_cast<Faulty*>(context); }

    explicit Faulty(Fault f, uint32_t busy = 0) : fault(f), busyTimes(busy) {
        calls = systemSaveCalls();
        calls.context = this;
        calls.inspect = [](void* c, Utf8View path, SaveTarget& target) {
            return of(c).system().inspect(of(c).system().context, path, target);
        };
        calls.create = [](void* c, Utf8View path, const SaveTarget& like, intptr_t& handle) {
            if (of(c).fault == Fault::Create) return ErrorCode::AccessDenied;
            return of(c).system().create(of(c).system().context, path, like, handle);
        };
        calls.write = [](void* c, intptr_t handle, const uint8_t* data, uint32_t size, uint32_t& written) {
            Faulty& f = of(c);
            // The disk fills up half-way through the first piece: half of it really lands.
            if (f.fault == Fault::WriteHalfThenFull && f.writes++ > 0) return ErrorCode::DiskFull;
            if (f.fault == Fault::WriteHalfThenFull) size /= 2;
            return f.system().write(f.system().context, handle, data, size, written);
        };
        calls.flush = [](void* c, intptr_t handle) {
            ErrorCode code = of(c).system().flush(of(c).system().context, handle);
            return of(c).fault == Fault::Flush ? ErrorCode::DataError : code;
        };
        calls.close = [](void* c, intptr_t handle) {
            ErrorCode code = of(c).system().close(of(c).system().context, handle);
            return of(c).fault == Fault::Close ? ErrorCode::DiskFull : code;
        };
        calls.replace = [](void* c, Utf8View temporary, const SaveTarget& target, bool& busy) {
            Faulty& f = of(c);
            ++f.replaces;
            busy = false;
            if (f.fault == Fault::Replace) return ErrorCode::NotFound;
            if (f.fault == Fault::ReplaceBusy && f.replaces <= f.busyTimes) {
                busy = true;
                return ErrorCode::AccessDenied;
            }
            return f.system().replace(f.system().context, temporary, target, busy);
        };
        calls.remove = [](void* c, Utf8View path) { return of(c).system().remove(of(c).system().context, path); };
        calls.syncFolder = [](void* c, Utf8View path) { of(c).system().syncFolder(of(c).system().context, path); };
        calls.pause = [](void* c, uint32_t milliseconds) {
            ++of(c).pauses;
            of(c).pausedMs += milliseconds;
        };
    }
};

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(folder)))
        names.push_back(entry.path().filename().u8string());
    std::sort(names.begin(), names.end());
    return names;
}

// A card of `instruments` instruments of 3000 samples each, changed since it was saved.
struct Card {
    CardDocument document = {};
    explicit Card(uint32_t instruments, float value) {
        resetDocument(document);
        for (uint32_t i = 0; i < instruments; ++i) {
            Instrument* instrument = appendInstrument(document);
            EXPECT_EQ(resizeBuffer(instrument->samples, 3000), ErrorCode::Ok);
            std::fill(instrument->samples.data, instrument->samples.data + 3000, value);
            instrument->end = 3000;
        }
        document.modified = true;
    }
    ~Card() { releaseDocument(document); }
};

}  // namespace

TEST(CardFileSave, AFailureAtAnyStepLeavesTheOldFileAndNoTemporaryFile) {
    struct Case {
        const char* what;
        Fault fault;
        ErrorCode expected;
    };
    const Case cases[] = {
        {"the temporary file cannot be created", Fault::Create, ErrorCode::AccessDenied},
        {"the disk fills up half-way through the writing", Fault::WriteHalfThenFull, ErrorCode::DiskFull},
        {"the flush to the disk fails", Fault::Flush, ErrorCode::DataError},
        {"the close reports a late write failure", Fault::Close, ErrorCode::DiskFull},
        {"the replace fails", Fault::Replace, ErrorCode::NotFound},
        {"the replace stays refused", Fault::ReplaceBusy, ErrorCode::AccessDenied},
    };
    Card saved(1, 0.25f), changed(3, -0.5f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder folder;
        std::string path = folder.file("drums.vxcor");
        ASSERT_EQ(writeCardFile(saved.document, viewOf(path)), ErrorCode::Ok);
        const Bytes before = readFileBytes(path);

        Faulty faulty(c.fault, kReplaceAttempts + 5);
        EXPECT_EQ(writeCardFile(changed.document, viewOf(path), faulty.calls), c.expected);
        EXPECT_TRUE(readFileBytes(path) == before) << "the old card-file changed";
        EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>({"drums.vxcor"}));
        EXPECT_TRUE(changed.document.modified);

        // Saved as a new file: nothing at all is left behind.
        std::string fresh = folder.file("new.vxcor");
        Faulty again(c.fault, kReplaceAttempts + 5);
        EXPECT_EQ(writeCardFile(changed.document, viewOf(fresh), again.calls), c.expected);
        EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>({"drums.vxcor"}));
    }
}

TEST(CardFileSave, AReplaceRefusedForAMomentIsTriedAgainForAbout250Ms) {
    Card saved(1, 0.25f), changed(2, -0.5f);
    ScratchFolder folder;
    std::string path = folder.file("drums.vxcor");
    ASSERT_EQ(writeCardFile(saved.document, viewOf(path)), ErrorCode::Ok);

    // Refused three times, then allowed: saved, with three pauses between the tries.
    Faulty briefly(Fault::ReplaceBusy, 3);
    ASSERT_EQ(writeCardFile(changed.document, viewOf(path), briefly.calls), ErrorCode::Ok);
    EXPECT_EQ(briefly.replaces, 4u);
    EXPECT_EQ(briefly.pauses, 3u);
    CardDocument loaded = {};
    resetDocument(loaded);
    ASSERT_EQ(readCardFile(loaded, viewOf(path)), ErrorCode::Ok);
    EXPECT_EQ(loaded.instruments.count, 2u);
    EXPECT_EQ(loaded.instruments.items[1].samples.data[2999], -0.5f);
    releaseDocument(loaded);
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>({"drums.vxcor"}));

    // Refused every time: given up after about a quarter of a second.
    Faulty always(Fault::ReplaceBusy, 1000);
    EXPECT_EQ(writeCardFile(saved.document, viewOf(path), always.calls), ErrorCode::AccessDenied);
    EXPECT_EQ(always.replaces, kReplaceAttempts);
    EXPECT_GE(always.pausedMs, 200u);
    EXPECT_LE(always.pausedMs, 300u);
}

TEST(CardFileSave, NeitherAReadOnlyFileNorAStrayTemporaryFileIsOverwritten) {
    Card saved(1, 0.25f), changed(2, -0.5f);
    ScratchFolder folder;
    std::string path = folder.file("drums.vxcor");
    ASSERT_EQ(writeCardFile(saved.document, viewOf(path)), ErrorCode::Ok);
    const Bytes before = readFileBytes(path);

    namespace fs = std::filesystem;
    fs::permissions(fs::u8path(path), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(writeCardFile(changed.document, viewOf(path)), ErrorCode::AccessDenied);
    EXPECT_TRUE(readFileBytes(path) == before);
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>({"drums.vxcor"}));
    fs::permissions(fs::u8path(path), fs::perms::owner_write, fs::perm_options::add);

    // A temporary file left by a save that a power cut ended is not ours to overwrite.
    const Bytes stray = {1, 2, 3};
    writeFileBytes(path + ".saving", stray);
    ASSERT_EQ(writeCardFile(changed.document, viewOf(path)), ErrorCode::Ok);
    EXPECT_EQ(readFileBytes(path + ".saving"), stray);
    EXPECT_EQ(readFileBytes(path).size(), 38u + 2 * (40 + 4 * 3000));
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>({"drums.vxcor", "drums.vxcor.saving"}));
}
