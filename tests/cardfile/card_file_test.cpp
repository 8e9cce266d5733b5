#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "cardfile/card_file.h"
#include "test_files.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put(Bytes& out, const char* text) { out.insert(out.end(), text, text + strlen(text)); }
void putU16(Bytes& out, uint16_t v) { out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)}); }
void putU32(Bytes& out, uint32_t v) {
    out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}
void putZeros(Bytes& out, size_t n) { out.insert(out.end(), n, 0); }

// The 34-byte header, written from the format table.
Bytes header(uint8_t count, uint8_t version = 1) {
    Bytes out;
    put(out, "cvne");
    out.push_back(version);
    out.push_back(count);
    putU16(out, 0x0F01);
    putZeros(out, 2);
    put(out, "Card    ");
    putU16(out, 0);
    putZeros(out, 14);
    return out;
}

// A 40-byte record and its samples.
void record(Bytes& out, const char* name8, uint16_t flags, uint8_t boost, uint8_t decay, uint32_t start,
            uint32_t end, uint32_t count, uint32_t samplesPresent) {
    put(out, name8);
    putU16(out, flags);
    out.push_back(boost);
    out.push_back(decay);
    putU32(out, start);
    putU32(out, end);
    putU32(out, count);
    putZeros(out, 16);
    for (uint32_t i = 0; i < samplesPresent; ++i) {
        float value = static_cast<float>(i) / 8.0f;
        uint32_t bits;
        memcpy(&bits, &value, 4);
        putU32(out, bits);
    }
}

Bytes firstBytes(Bytes bytes, size_t count) {
    bytes.resize(count);
    return bytes;
}

struct Parsed {
    CardDocument document = {};
    ErrorCode code;
    explicit Parsed(const Bytes& bytes) {
        resetDocument(document);
        code = parseCardFile(bytes.data(), static_cast<uint32_t>(bytes.size()), document);
    }
    ~Parsed() { releaseDocument(document); }
    const Instrument& at(uint32_t i) { return *instrumentAt(document, i); }
};

std::string nameOf(const NameBuffer& name) { return std::string(name.units, name.length); }

uint32_t bitsOf(float f) {
    uint32_t bits;
    memcpy(&bits, &f, 4);
    return bits;
}

float fromBits(uint32_t bits) {
    float f;
    memcpy(&f, &bits, 4);
    return f;
}

}  // namespace

TEST(CardFileWriter, RecordLayoutMatchesTheTable) {
    CardDocument document = {};
    resetDocument(document);
    document.cardCode = 0xA1B2;
    document.headerFlag = true;
    Instrument* instrument = appendInstrument(document);
    assignText(instrument->name, viewOf("Kick"));
    instrument->downsample = true;
    instrument->boost = 7;
    instrument->decay = 200;
    instrument->start = 1;
    instrument->end = 2;
    resizeBuffer(instrument->samples, 2);
    instrument->samples.data[0] = 0.0f;
    instrument->samples.data[1] = 0.125f;
    ScratchFolder folder;
    std::string path = folder.file("kick.vxcor");
    ASSERT_EQ(writeCardFile(document, viewOf(path)), ErrorCode::Ok);

    Bytes expected;
    put(expected, "cvne");
    expected.insert(expected.end(), {1, 1, 0xB2, 0xA1, 0, 0});
    put(expected, "Corvane ");
    putU16(expected, 1);
    putZeros(expected, 14);
    record(expected, "Kick    ", 2, 7, 200, 1, 2, 2, 2);
    put(expected, "envc");
    EXPECT_EQ(readFileBytes(path), expected);
    releaseDocument(document);
}

TEST(CardFileRoundTrip, EightInstrumentsKeepNamesFlagsAndSampleBits) {
    const char* names[kMaxInstruments] = {
        "Kick1234",                          // eight ASCII bytes
        "Gr\xC3\xBC\xC3\x9F" "e!",           // two-byte characters filling eight bytes
        "\xE2\x82\xAC" "uro12",              // a three-byte character
        "\xF0\x9F\x8E\xB9" "pno",            // a four-byte character, seven bytes
        "a",
        "",
        "  lead",                            // leading blanks stay
        "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9",  // four two-byte characters
    };
    const uint32_t specialBits[] = {
        0x7FC00001,  // quiet NaN with a payload
        0x7F800001,  // signalling NaN
        0xFFC00000,  // negative NaN
        0x7F800000,  // +infinity
        0xFF800000,  // -infinity
        0x00000001,  // smallest denormal
        0x807FFFFF,  // largest negative denormal
        0x80000000,  // -0
        0x7F7FFFFF,  // largest float
        0x3F800000,  // 1.0
    };

    CardDocument document = {};
    resetDocument(document);
    assignText(document.name, viewOf("\xE2\x82\xAC" "Drums"));
    document.cardCode = 0xFFFF;
    document.headerFlag = true;
    for (uint32_t i = 0; i < kMaxInstruments; ++i) {
        Instrument* instrument = appendInstrument(document);
        assignText(instrument->name, viewOf(names[i]));
        instrument->downsample = (i % 2) == 1;
        instrument->boost = static_cast<uint8_t>(i + 3);
        instrument->decay = static_cast<uint8_t>(i == 7 ? 255 : 1 + i * 30);
        uint32_t count = i == 5 ? 0 : 10 + i * 1000;
        resizeBuffer(instrument->samples, count);
        for (uint32_t k = 0; k < count; ++k)
            instrument->samples.data[k] = fromBits(specialBits[k % 10] + (k / 10 % 3));
        instrument->start = count / 4;
        instrument->end = count - count / 3;
    }
    ScratchFolder folder;
    std::string path = folder.file("round.vxcor");
    ASSERT_EQ(writeCardFile(document, viewOf(path)), ErrorCode::Ok);

    CardDocument loaded = {};
    resetDocument(loaded);
    ASSERT_EQ(readCardFile(loaded, viewOf(path)), ErrorCode::Ok);
    EXPECT_EQ(nameOf(loaded.name), nameOf(document.name));
    EXPECT_EQ(loaded.cardCode, 0xFFFF);
    EXPECT_TRUE(loaded.headerFlag);
    EXPECT_FALSE(loaded.modified);
    ASSERT_EQ(loaded.instruments.count, kMaxInstruments);
    for (uint32_t i = 0; i < kMaxInstruments; ++i) {
        const Instrument& a = *instrumentAt(document, i);
        const Instrument& b = *instrumentAt(loaded, i);
        EXPECT_EQ(nameOf(b.name), names[i]) << i;
        EXPECT_EQ(b.downsample, a.downsample) << i;
        EXPECT_EQ(b.boost, a.boost) << i;
        EXPECT_EQ(b.decay, a.decay) << i;
        EXPECT_EQ(b.start, a.start) << i;
        EXPECT_EQ(b.end, a.end) << i;
        ASSERT_EQ(b.samples.count, a.samples.count) << i;
        for (uint32_t k = 0; k < a.samples.count; ++k)
            ASSERT_EQ(bitsOf(b.samples.data[k]), bitsOf(a.samples.data[k])) << i << " " << k;
    }
    releaseDocument(loaded);
    releaseDocument(document);
}

TEST(CardFileReader, CleansNamesAndLimitsValues) {
    Bytes bytes = header(4);
    memcpy(&bytes[10], "        ", 8);  // an all-blank card name reads back empty
    record(bytes, "Bass    ", 0xFFFD, 200, 0, 0, 500, 300, 300);  // flags without bit 1
    record(bytes, "        ", 2, 10, 255, 400, 500, 300, 300);
    record(bytes, "Tail  x ", 0, 11, 1, 7, 5, 9, 9);
    record(bytes, "Empty   ", 0, 0, 3, 4, 4, 0, 0);
    put(bytes, "envc");
    Parsed parsed(bytes);
    ASSERT_EQ(parsed.code, ErrorCode::Ok);
    EXPECT_EQ(parsed.document.name.length, 0u);
    EXPECT_EQ(nameOf(parsed.at(0).name), "Bass");
    EXPECT_FALSE(parsed.at(0).downsample);
    EXPECT_EQ(parsed.at(0).boost, 10);
    EXPECT_EQ(parsed.at(0).decay, 1);
    EXPECT_EQ(parsed.at(0).end, 300u);
    EXPECT_EQ(parsed.at(0).samples.data[299], 299 / 8.0f);
    EXPECT_EQ(nameOf(parsed.at(1).name), "");
    EXPECT_TRUE(parsed.at(1).downsample);
    EXPECT_EQ(parsed.at(1).end, 300u);
    EXPECT_EQ(parsed.at(1).start, 300u);
    EXPECT_EQ(nameOf(parsed.at(2).name), "Tail  x");
    EXPECT_EQ(parsed.at(2).boost, 10);
    EXPECT_EQ(parsed.at(2).start, 5u);
    EXPECT_EQ(parsed.at(3).samples.count, 0u);
    EXPECT_EQ(parsed.at(3).start, 0u);
}

TEST(CardFileReader, RejectsDamagedFilesWithTheirCodes) {
    auto complete = [](uint8_t count) {
        Bytes b = header(count);
        for (uint8_t i = 0; i < count; ++i) record(b, "Inst    ", 0, 0, 1, 0, 4, 4, 4);
        put(b, "envc");
        return b;
    };
    struct Case {
        const char* what;
        Bytes bytes;
        ErrorCode code;
    };
    std::vector<Case> cases;
    cases.push_back({"empty file", {}, ErrorCode::InvalidFormat});
    cases.push_back({"three bytes", {'c', 'v', 'n'}, ErrorCode::InvalidFormat});
    cases.push_back({"magic only", {'c', 'v', 'n', 'e'}, ErrorCode::TooNew});
    cases.push_back({"wrong magic", [] { Bytes b = header(0); b[0] = 'C'; put(b, "envc"); return b; }(),
                     ErrorCode::InvalidFormat});
    cases.push_back({"version 2", [] { Bytes b = header(0, 2); put(b, "envc"); return b; }(), ErrorCode::TooNew});
    cases.push_back({"version 0", [] { Bytes b = header(0, 0); put(b, "envc"); return b; }(), ErrorCode::TooNew});
    cases.push_back({"header cut at 19 bytes", firstBytes(header(0), 19),
                     ErrorCode::InvalidFormat});
    cases.push_back({"count 9", complete(9), ErrorCode::InvalidFormat});
    cases.push_back({"record cut", [&] { Bytes b = complete(2); b.resize(34 + 56 + 30); return b; }(),
                     ErrorCode::InvalidFormat});
    cases.push_back({"samples cut", [&] { Bytes b = complete(2); b.resize(b.size() - 4 - 1); return b; }(),
                     ErrorCode::InvalidFormat});
    cases.push_back({"huge sample count", [] {
                         Bytes b = header(1);
                         record(b, "Huge    ", 0, 0, 1, 0, 0, 0xFFFFFFFF, 4);
                         put(b, "envc");
                         return b;
                     }(),
                     ErrorCode::InvalidFormat});
    cases.push_back({"no trailer", [&] { Bytes b = complete(3); b.resize(b.size() - 4); return b; }(),
                     ErrorCode::Incomplete});
    cases.push_back({"short trailer", [&] { Bytes b = complete(1); b.resize(b.size() - 1); return b; }(),
                     ErrorCode::Incomplete});
    cases.push_back({"trailer with a zero", [&] { Bytes b = complete(1); b.back() = 0; return b; }(),
                     ErrorCode::Incomplete});
    cases.push_back({"wrong trailer", [&] { Bytes b = complete(1); b.back() = 'C'; return b; }(),
                     ErrorCode::Incomplete});
    cases.push_back({"header without trailer", firstBytes(header(0), 25),
                     ErrorCode::Incomplete});
    cases.push_back({"bytes after the trailer", [&] { Bytes b = complete(8); put(b, "junk"); return b; }(),
                     ErrorCode::Ok});
    for (const Case& c : cases) {
        Parsed parsed(c.bytes);
        EXPECT_EQ(parsed.code, c.code) << c.what;
    }
}

TEST(CardFileReader, RefusesFilesOver16MiBWhateverTheirContent) {
    ScratchFolder folder;
    std::string path = folder.file("big.vxcor");
    Bytes bytes(16u * 1024 * 1024 + 1, 0);
    Bytes valid = header(0);
    put(valid, "envc");
    std::copy(valid.begin(), valid.end(), bytes.begin());
    writeFileBytes(path, bytes);
    CardDocument document = {};
    resetDocument(document);
    EXPECT_EQ(readCardFile(document, viewOf(path)), ErrorCode::TooLarge);

    bytes.pop_back();  // exactly 16 MiB is read: the valid start loads
    writeFileBytes(path, bytes);
    EXPECT_EQ(readCardFile(document, viewOf(path)), ErrorCode::Ok);
    releaseDocument(document);
}

TEST(CardFileFiles, PathsAndSystemErrors) {
    CardDocument document = {};
    resetDocument(document);
    ScratchFolder folder;
    EXPECT_EQ(writeCardFile(document, viewOf("")), ErrorCode::InvalidArgument);
    EXPECT_EQ(readCardFile(document, viewOf("")), ErrorCode::InvalidArgument);
    EXPECT_EQ(readCardFile(document, viewOf(folder.file("missing.vxcor"))), ErrorCode::NotFound);
    EXPECT_EQ(writeCardFile(document, viewOf(folder.file("no-such-folder/card.vxcor"))), ErrorCode::NotFound);

    // Non-ASCII file names go through the file layer unchanged.
    std::string path = folder.file("Kl\xC3\xA4nge \xE2\x82\xAC \xF0\x9F\x8E\xB9.vxcor");
    assignText(document.name, viewOf("\xC3\x9C" "ber"));
    ASSERT_EQ(writeCardFile(document, viewOf(path)), ErrorCode::Ok);
    EXPECT_EQ(readFileBytes(path).size(), 38u);
    CardDocument loaded = {};
    resetDocument(loaded);
    ASSERT_EQ(readCardFile(loaded, viewOf(path)), ErrorCode::Ok);
    EXPECT_EQ(nameOf(loaded.name), "\xC3\x9C" "ber");

    // Writing replaces a longer file completely.
    writeFileBytes(path, Bytes(1000, 0xAA));
    ASSERT_EQ(writeCardFile(document, viewOf(path)), ErrorCode::Ok);
    EXPECT_EQ(readFileBytes(path).size(), 38u);
    releaseDocument(loaded);
    releaseDocument(document);
}
