#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "cardfile/card_file.h"
#include "core/safe_save.h"
#include "test_files.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Bits = std::vector<uint32_t>;
using Names = std::vector<std::string>;

void put(Bytes& out, const char* text) { out.insert(out.end(), text, text + strlen(text)); }
void putU16(Bytes& out, uint16_t v) { out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void putU32(Bytes& out, uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out.push_back(uint8_t(v >> shift));
}

// The 34-byte header from the format table: magic, version, count, code, 2 zeros, name, flags, 14 zeros.
Bytes header(uint8_t count, uint16_t code = 0x0F01, uint16_t flags = 0, const char* name8 = "Card    ") {
    Bytes out = {'c', 'v', 'n', 'e', 1, count, uint8_t(code), uint8_t(code >> 8), 0, 0};
    put(out, name8);
    putU16(out, flags);
    out.insert(out.end(), 14, 0);
    return out;
}

// A 40-byte record and its samples, given as their bits.
void record(Bytes& out, const char* name8, uint16_t flags, uint8_t boost, uint8_t decay, uint32_t start,
            uint32_t end, const Bits& samples) {
    put(out, name8);
    putU16(out, flags);
    out.insert(out.end(), {boost, decay});
    putU32(out, start);
    putU32(out, end);
    putU32(out, uint32_t(samples.size()));
    out.insert(out.end(), 16, 0);
    for (uint32_t bits : samples) putU32(out, bits);
}

// A valid file of `count` records of four samples each: 38 + 56 * count bytes.
Bytes complete(uint8_t count) {
    Bytes out = header(count);
    for (uint8_t i = 0; i < count; ++i) record(out, "Inst    ", 0, 0, 1, 0, 4, Bits(4));
    put(out, "envc");
    return out;
}

// Cut short, or lengthened with zeros.
Bytes resized(Bytes bytes, size_t size) {
    bytes.resize(size);
    return bytes;
}

Bytes changed(Bytes bytes, size_t at, std::vector<uint8_t> with) {
    std::copy(with.begin(), with.end(), bytes.begin() + at);
    return bytes;
}

std::string nameOf(const NameBuffer& name) { return std::string(name.units, name.length); }

enum class Fault { Create, WriteHalfThenFull, Flush, Close, Replace, ReplaceBusy };

const SaveCalls& sys() { return systemSaveCalls(); }

// The system's own calls with one step failing, so everything else really happens on the disk. Those
// calls keep no context of their own (theirs is null), so the ones not wrapped here share this one.
struct Faulty {
    Fault fault;
    uint32_t busyTimes;  // ReplaceBusy: refusals before the system's own replace runs
    uint32_t writes = 0, replaces = 0, pausedMs = 0;
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
        calls.replace = [](void* c, Utf8View temp, const SaveTarget& target, bool& busy) {
            busy = of(c).fault == Fault::ReplaceBusy && ++of(c).replaces <= of(c).busyTimes;
            if (busy) return ErrorCode::AccessDenied;
            return of(c).fault == Fault::Replace ? ErrorCode::NotFound : sys().replace(c, temp, target, busy);
        };
        calls.pause = [](void* c, uint32_t milliseconds) { of(c).pausedMs += milliseconds; };
    }
};

// A document, and a folder of its own holding an old card-file at `path`.
struct CardFile : ::testing::Test {
    CardDocument document = {};
    ScratchFolder folder;
    const std::string path = folder.file("drums.vxcor");
    const Bytes before = {'o', 'l', 'd'};
    void SetUp() override {
        resetDocument(document);
        writeFileBytes(path, before);
    }
    void TearDown() override { releaseDocument(document); }
    ErrorCode parse(const Bytes& bytes) {
        releaseDocument(document);
        return parseCardFile(bytes.data(), static_cast<uint32_t>(bytes.size()), document);
    }
    const Instrument& at(uint32_t i) { return *instrumentAt(document, i); }
    Names names() const {
        Names names;
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::u8path(folder.path())))
            names.push_back(entry.path().filename().u8string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

}  // namespace

TEST_F(CardFile, ReaderCleansNamesAndLimitsValues) {
    Bytes bytes = header(3, 0x1234, 0xFFFE, "        ");  // an all-blank card name reads back empty
    record(bytes, "Bass    ", 0xFFFD, 200, 0, 0, 500, Bits(3));  // flags without bit 1
    record(bytes, "        ", 2, 10, 255, 400, 500, Bits(3));
    record(bytes, "Tail  x ", 0, 11, 1, 7, 5, Bits(9, 0x3E000000));  // samples of 0.125
    put(bytes, "envc");
    ASSERT_EQ(parse(bytes), ErrorCode::Ok);
    EXPECT_EQ(document.name.length, 0u);
    EXPECT_EQ(document.cardCode, 0x1234);
    EXPECT_FALSE(document.headerFlag);
    EXPECT_EQ(nameOf(at(0).name), "Bass");
    EXPECT_FALSE(at(0).downsample);
    EXPECT_EQ(at(0).boost, 10);
    EXPECT_EQ(at(0).decay, 1);
    EXPECT_EQ(at(0).end, 3u);
    EXPECT_EQ(nameOf(at(1).name), "");
    EXPECT_TRUE(at(1).downsample);
    EXPECT_EQ(at(1).start, 3u);
    EXPECT_EQ(nameOf(at(2).name), "Tail  x");
    EXPECT_EQ(at(2).start, 5u);
    EXPECT_EQ(at(2).samples.data[8], 0.125f);
}

// With the reader checked above, writing what it read must give back the bytes written from the
// format table: names of several UTF-8 lengths, an instrument without samples, and sample bits that a
// float conversion would change (NaN payloads, a signalling NaN, a denormal, -0).
TEST_F(CardFile, WritingWhatWasReadGivesTheSameBytes) {
    Bytes bytes = header(2, 0xA1B2, 1, "\xE2\x82\xAC" "Drums");
    const Bits bits = {0x7FC00001, 0x7F800001, 0xFFC00000, 0x807FFFFF, 0x80000000};
    record(bytes, "Gr\xC3\xBC\xC3\x9F" "e!", 2, 7, 200, 1, 4, bits);
    record(bytes, "\xF0\x9F\x8E\xB9    ", 0, 10, 255, 0, 0, {});
    put(bytes, "envc");
    ASSERT_EQ(parse(bytes), ErrorCode::Ok);
    ASSERT_EQ(writeCardFile(document, viewOf(path)), ErrorCode::Ok);
    EXPECT_EQ(readFileBytes(path), bytes);
}

TEST_F(CardFile, ReaderRejectsDamagedFilesWithTheirCodes) {
    const size_t oneRecord = 34 + 56;  // the header and one record with its four samples
    const size_t firstCount = 34 + 20;  // the first record's sample count
    const struct { const char* what; Bytes bytes; ErrorCode code; } cases[] = {
        {"empty file", {}, ErrorCode::InvalidFormat},
        {"three bytes", {'c', 'v', 'n'}, ErrorCode::InvalidFormat},
        {"magic only", resized(complete(0), 4), ErrorCode::TooNew},
        {"wrong magic", changed(complete(0), 3, {'E'}), ErrorCode::InvalidFormat},
        {"version 2", changed(complete(0), 4, {2}), ErrorCode::TooNew},
        {"version 0", changed(complete(0), 4, {0}), ErrorCode::TooNew},
        {"header cut at 19 bytes", resized(complete(0), 19), ErrorCode::InvalidFormat},
        {"header cut at 25 bytes", resized(complete(0), 25), ErrorCode::Incomplete},
        {"count 9", complete(9), ErrorCode::InvalidFormat},
        {"record cut", resized(complete(2), oneRecord + 30), ErrorCode::InvalidFormat},
        {"samples cut", resized(complete(2), 34 + 2 * 56 - 1), ErrorCode::InvalidFormat},
        // More samples than an instrument may hold is no file of the program's, cut or not.
        {"huge sample count", changed(complete(1), firstCount, {255, 255, 255, 255}), ErrorCode::TooLarge},
        {"one sample beyond the bound", changed(complete(1), firstCount, {1, 0, 0, 1}), ErrorCode::TooLarge},
        {"the bound, cut", changed(complete(1), firstCount, {0, 0, 0, 1}), ErrorCode::InvalidFormat},
        {"no trailer", resized(complete(3), 34 + 3 * 56), ErrorCode::Incomplete},
        {"short trailer", resized(complete(1), oneRecord + 3), ErrorCode::Incomplete},
        {"trailer with a zero", changed(complete(1), oneRecord + 3, {0}), ErrorCode::Incomplete},
        {"wrong trailer", changed(complete(1), oneRecord + 3, {'C'}), ErrorCode::Incomplete},
        {"bytes after the trailer", resized(complete(8), 38 + 8 * 56 + 4), ErrorCode::Ok},
    };
    for (const auto& c : cases) EXPECT_EQ(parse(c.bytes), c.code) << c.what;
}

TEST_F(CardFile, PathsSizesAndSystemErrors) {
    EXPECT_EQ(writeCardFile(document, viewOf("")), ErrorCode::InvalidArgument);
    EXPECT_EQ(readCardFile(document, viewOf("")), ErrorCode::InvalidArgument);
    EXPECT_EQ(readCardFile(document, viewOf(folder.file("missing.vxcor"))), ErrorCode::NotFound);
    EXPECT_EQ(writeCardFile(document, viewOf(folder.file("no-such-folder/card.vxcor"))), ErrorCode::NotFound);
    // A non-ASCII file name reaches the system unchanged, and a longer file there is replaced whole.
    const std::string named = folder.file("Kl\xC3\xA4nge \xE2\x82\xAC \xF0\x9F\x8E\xB9.vxcor");
    writeFileBytes(named, Bytes(1000, 0xAA));
    assignText(document.name, viewOf("\xC3\x9C" "ber"));
    ASSERT_EQ(writeCardFile(document, viewOf(named)), ErrorCode::Ok);
    EXPECT_EQ(readFileBytes(named).size(), 38u);
    resetDocument(document);
    ASSERT_EQ(readCardFile(document, viewOf(named)), ErrorCode::Ok);
    EXPECT_EQ(nameOf(document.name), "\xC3\x9C" "ber");
    // Beyond the largest file the program writes is refused unread, whatever
    // the content; that size itself is read (bytes behind the trailer are
    // ignored). Sparse files: nothing of them is on the disk.
    writeFileBytes(named, complete(0));
    std::filesystem::resize_file(std::filesystem::u8path(named), kCardFileMaxSize + 1);
    EXPECT_EQ(readCardFile(document, viewOf(named)), ErrorCode::TooLarge);
    std::filesystem::resize_file(std::filesystem::u8path(named), kCardFileMaxSize);
    EXPECT_EQ(readCardFile(document, viewOf(named)), ErrorCode::Ok);
}

// Eight instruments of the most samples one may hold make the largest
// card-file the program writes: it must open again, each sample where it was.
// A document with an instrument beyond that bound is never written.
TEST_F(CardFile, TheLargestCardFileOpensAgainAndNoLargerOneIsWritten) {
    writeLargestCardFile(path);
    ASSERT_EQ(std::filesystem::file_size(std::filesystem::u8path(path)), kCardFileMaxSize);
    ASSERT_EQ(readCardFile(document, viewOf(path)), ErrorCode::Ok);
    EXPECT_EQ(nameOf(document.name), "Largest");
    ASSERT_EQ(document.instruments.count, kMaxInstruments);
    for (uint32_t i = 0; i < kMaxInstruments; ++i) {
        const Instrument& instrument = document.instruments.items[i];
        SCOPED_TRACE(nameOf(instrument.name));
        ASSERT_EQ(instrument.samples.count, kMaxInstrumentSamples);
        EXPECT_EQ(instrument.samples.data[0], float(i + 1));
        EXPECT_EQ(instrument.samples.data[1], 0.0f);
        EXPECT_EQ(instrument.samples.data[kMaxInstrumentSamples - 1], -float(i + 1));
        EXPECT_EQ(instrument.end, kMaxInstrumentSamples - 1000);
    }

    const Bytes empty = {'c', 'v', 'n', 'e'};
    writeFileBytes(path, empty);
    Instrument& over = *appendInstrument(document);
    float* samples = nullptr;
    ASSERT_EQ(makeSamples(over.samples, kMaxInstrumentSamples + 1, samples), ErrorCode::Ok);
    EXPECT_EQ(writeCardFile(document, viewOf(path)), ErrorCode::TooLarge);
    EXPECT_EQ(readFileBytes(path), empty);
}

// On a failure the old file stays byte for byte as it was, and nothing else is left in its folder.
TEST_F(CardFile, ASaveFailingAtAnyStepLeavesTheOldFileAndNoTemporaryFile) {
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
        EXPECT_EQ(writeCardFile(document, viewOf(path), faulty.calls), c.expected);
        EXPECT_EQ(readFileBytes(path), before);
        EXPECT_EQ(names(), Names({"drums.vxcor"}));
        // Only a refusal for a moment is tried again, for about a quarter of a second.
        EXPECT_EQ(faulty.pausedMs, c.fault == Fault::ReplaceBusy ? 250u : 0u);
    }
}

TEST_F(CardFile, ASaveWhoseReplaceIsRefusedForAMomentSucceedsOnALaterTry) {
    Faulty briefly(Fault::ReplaceBusy, 3);
    ASSERT_EQ(writeCardFile(document, viewOf(path), briefly.calls), ErrorCode::Ok);
    EXPECT_EQ(briefly.replaces, 4u);
    EXPECT_EQ(briefly.pausedMs, 3 * 25u);
    EXPECT_EQ(readFileBytes(path).size(), 38u);
    EXPECT_EQ(names(), Names({"drums.vxcor"}));
}

TEST_F(CardFile, ASaveOverwritesNeitherAReadOnlyFileNorAStrayTemporaryFile) {
    namespace fs = std::filesystem;
    fs::permissions(fs::u8path(path), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(writeCardFile(document, viewOf(path)), ErrorCode::AccessDenied);
    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_EQ(names(), Names({"drums.vxcor"}));
    fs::permissions(fs::u8path(path), fs::perms::owner_write, fs::perm_options::add);
    // A temporary file left by a save that a power cut ended is not ours to overwrite.
    const Bytes stray = {1, 2, 3};
    writeFileBytes(path + ".saving", stray);
    ASSERT_EQ(writeCardFile(document, viewOf(path)), ErrorCode::Ok);
    EXPECT_EQ(readFileBytes(path + ".saving"), stray);
    EXPECT_EQ(readFileBytes(path).size(), 38u);
    EXPECT_EQ(names(), Names({"drums.vxcor", "drums.vxcor.saving"}));
}
