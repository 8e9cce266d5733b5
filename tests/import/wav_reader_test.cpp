#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "import/sample_files.h"
#include "import/wav_reader.h"
#include "test_files.h"

namespace {

using namespace sample_files;
using namespace sample_files::wav;

const uint8_t kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// WAVEFORMATEXTENSIBLE: the 16-byte body with tag 0xFFFE, then cbSize 22, valid
// bits, channel mask and the sub-format GUID (its first two bytes a format tag).
Bytes extensibleFormat(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t subFormat,
                       const uint8_t (&tail)[14] = kGuidTail) {
    Bytes out = format(0xFFFE, channels, rate, bits);
    putU16(out, 22);
    putU16(out, bits);
    putU32(out, channels == 1 ? 0x4 : 0x3);
    putU16(out, subFormat);
    out.insert(out.end(), tail, tail + 14);
    return out;
}

using Parsed = ParsedWith<parseWav>;

void expectCodes(const std::vector<CodeCase>& cases) { expectCodesWith<parseWav>(cases); }

}  // namespace

// --- Files written by sox ---

TEST(WavFixtures, DecodeLikeSox) {
    const Fixture fixtures[] = {
        {"wav_u8_mono.wav", 1, 11025, Match::Exact},
        {"wav_s16_stereo.wav", 2, 44100, Match::Exact},
        {"wav_s16_6ch_extensible.wav", 6, 48000, Match::Exact},
        {"wav_s24_stereo.wav", 2, 22050, Match::Exact},
        {"wav_s24_stereo_extensible.wav", 2, 44100, Match::Exact},
        {"wav_s32_stereo_extensible.wav", 2, 96000, Match::SoxFloatOutput},
        {"wav_f32_stereo.wav", 2, 32000, Match::SoxFloatOutput},
        {"wav_f32_6ch.wav", 6, 48000, Match::SoxFloatOutput},
        {"wav_f64_mono.wav", 1, 8000, Match::SoxFloatOutput},
        {"wav_alaw_stereo.wav", 2, 8000, Match::ALaw},
        {"wav_ulaw_6ch.wav", 6, 16000, Match::MuLaw},
    };
    for (const Fixture& fixture : fixtures) checkFixture(readWav, fixture);
}

// --- Header and chunk walk ---

TEST(WavReader, RefusesABrokenHeader) {
    Bytes good = mono16({1, 2});
    Bytes riffx = good;
    riffx[3] = 'X';
    Bytes avi = good;
    memcpy(&avi[8], "AVI ", 4);
    Bytes tooLong = good;
    tooLong[4] += 1;  // the RIFF size claims one byte more than the file holds
    expectCodes({
        {"empty file", {}, ErrorCode::InvalidFormat},
        {"three bytes", {'R', 'I', 'F'}, ErrorCode::InvalidFormat},
        {"RIFF and nothing more", {'R', 'I', 'F', 'F'}, ErrorCode::InvalidFormat},
        {"no form type", {'R', 'I', 'F', 'F', 0, 0, 0, 0}, ErrorCode::InvalidFormat},
        {"RIFX", riffx, ErrorCode::InvalidFormat},
        {"AVI form", avi, ErrorCode::InvalidFormat},
        {"RIFF size beyond the file", tooLong, ErrorCode::InvalidFormat},
    });
}

TEST(WavReader, ReadsNothingBeyondTheRiffSize) {
    Bytes noChunks;
    put(noChunks, "RIFF");
    putU32(noChunks, 4);
    put(noChunks, "WAVE");
    // Bytes after the RIFF size are not part of the file.
    Bytes dataBehind = riff({chunk("fmt ", format(1, 1, 22050, 16))});
    append(dataBehind, chunk("data", s16({1000})));
    for (const Bytes* file : {&noChunks, &dataBehind}) {
        Parsed parsed(*file, 1);
        EXPECT_EQ(parsed.code, ErrorCode::Ok);
        EXPECT_EQ(parsed.decoded.samples.count, 0u);
        EXPECT_EQ(parsed.decoded.peak, 0.0f);
    }
}

TEST(WavReader, StepsOverOddChunksWithOrWithoutAPadByte) {
    Bytes odd = {'a', 'b', 'c'};
    Bytes padded = riff({chunk("junk", odd), chunk("fmt ", format(1, 1, 22050, 16)), chunk("data", s16({16384}))});
    // Some writers leave the pad out: the next chunk's id follows at once.
    Bytes unpadded = riff({chunk("junk", odd, Pad::None), chunk("fmt ", format(1, 1, 22050, 16)),
                           chunk("data", s16({16384}))});
    // An odd data chunk at the end, padded.
    Bytes oddData = riff({chunk("fmt ", format(1, 1, 8000, 8)), chunk("data", {0x80, 0x00, 0xFF})});
    ASSERT_EQ(padded.size(), unpadded.size() + 1);
    for (const Bytes* file : {&padded, &unpadded}) {
        Parsed parsed(*file);
        EXPECT_EQ(parsed.code, ErrorCode::Ok);
        EXPECT_EQ(parsed.samples(), std::vector<float>({0.5f}));
    }
    Parsed parsed(oddData);
    EXPECT_EQ(parsed.code, ErrorCode::Ok);
    EXPECT_EQ(parsed.samples(), std::vector<float>({0.0f, -1.0f, 0.9921875f}));
}

TEST(WavReader, ReportsTruncation) {
    // An odd last chunk whose pad byte is missing: the file ends where the pad belongs.
    Bytes noFinalPad = riff({chunk("fmt ", format(1, 1, 8000, 8)), chunk("data", {1, 2, 3}, Pad::None)});
    // An odd chunk claiming more than the file holds: its pad lies beyond the end.
    Bytes oddOverrun = riff({chunk("junk", Bytes(10, 1)), chunk("fmt ", format(1, 1, 8000, 8))});
    oddOverrun[16] = 99;
    // A data chunk claiming more than remains.
    Bytes dataOverrun = riff({chunk("fmt ", format(1, 1, 8000, 16)), chunk("data", s16({1, 2}))});
    dataOverrun[dataOverrun.size() - 8] = 6;
    // The format chunk stops before its bits field.
    Bytes cutFormat = riff({chunk("fmt ", format(1, 1, 8000, 16))});
    cutFormat.resize(cutFormat.size() - 4);
    cutFormat[4] -= 4;
    // A sampler chunk of the right size whose sampler bytes lie beyond the end.
    Bytes sampler(36, 0);
    sampler[32] = 8;  // sampler-data size
    Bytes samplerOverrun = riff({chunk("fmt ", format(1, 1, 8000, 16)), chunk("smpl", sampler)});
    samplerOverrun[samplerOverrun.size() - 36 - 4] = 36 + 8;
    expectCodes({
        {"no pad after the last odd chunk", noFinalPad, ErrorCode::BufferTooSmall},
        {"odd chunk beyond the end", oddOverrun, ErrorCode::BufferTooSmall},
        {"data beyond the end", dataOverrun, ErrorCode::BufferTooSmall},
        {"format chunk cut short", cutFormat, ErrorCode::BufferTooSmall},
        {"sampler data beyond the end", samplerOverrun, ErrorCode::BufferTooSmall},
    });
}

// --- Format chunk ---

TEST(WavReader, RefusesUnsupportedFormatTags) {
    // 2 MS ADPCM, 4 VSELP, 5 IBM CVSD, 0x11 IMA ADPCM, 0x55 MPEG layer 3.
    for (uint16_t tag : {0, 2, 4, 5, 8, 0x11, 0x55, 0xFFFF}) {
        SCOPED_TRACE(tag);
        Parsed parsed(riff({chunk("fmt ", format(tag, 1, 8000, 16)), chunk("data", s16({1}))}));
        EXPECT_EQ(parsed.code, ErrorCode::InvalidFormat);
    }
}

// The sox files cover the other tags and sizes.
TEST(WavReader, ReadsWhatTheFilesMadeBySoxDoNot) {
    struct Case {
        const char* what;
        Bytes fmt, data;
        std::vector<float> expected;
    };
    const Case cases[] = {
        {"32-bit PCM with the plain tag", format(1, 1, 8000, 32), {0x00, 0x00, 0x00, 0x40}, {0.5f}},
        // The container size decides: 20 bits in 3 bytes, 12 bits in 2.
        {"20-bit PCM", format(1, 1, 8000, 20), {0x00, 0x00, 0x40}, {0.5f}},
        {"12-bit PCM", format(1, 1, 8000, 12), {0x00, 0x40}, {0.5f}},
        // Float samples are taken as stored, beyond full scale too.
        {"float", format(3, 1, 8000, 32), f32({1.5f, -2.0f, 0.25f}), {1.5f, -2.0f, 0.25f}},
        {"extensible float", extensibleFormat(1, 48000, 32, 3), f32({0.75f, -1.25f}), {0.75f, -1.25f}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Parsed parsed(riff({chunk("fmt ", c.fmt), chunk("data", c.data)}));
        EXPECT_EQ(parsed.code, ErrorCode::Ok);
        EXPECT_EQ(parsed.samples(), c.expected);
    }
}

TEST(WavReader, RefusesOtherExtensibleFormats) {
    uint8_t otherTail[14];
    memcpy(otherTail, kGuidTail, 14);
    otherTail[13] ^= 1;
    Bytes shortExtensible = format(0xFFFE, 1, 8000, 16);
    putU16(shortExtensible, 0);
    expectCodes({
        {"ADPCM sub-format", riff({chunk("fmt ", extensibleFormat(1, 8000, 16, 2)), chunk("data", s16({1}))}),
         ErrorCode::InvalidFormat},
        {"A-law sub-format", riff({chunk("fmt ", extensibleFormat(1, 8000, 8, 6)), chunk("data", {0xD5})}),
         ErrorCode::InvalidFormat},
        {"PCM tag in a foreign GUID",
         riff({chunk("fmt ", extensibleFormat(1, 8000, 16, 1, otherTail)), chunk("data", s16({1}))}),
         ErrorCode::InvalidFormat},
        {"extensible tag without the extension",
         riff({chunk("fmt ", shortExtensible), chunk("data", s16({1}))}), ErrorCode::InvalidFormat},
    });
}

TEST(WavReader, RefusesDataWithoutAUsableFormat) {
    expectCodes({
        {"data before fmt", riff({chunk("data", s16({1})), chunk("fmt ", format(1, 1, 8000, 16))}),
         ErrorCode::InvalidFormat},
        {"no fmt at all", riff({chunk("data", s16({1}))}), ErrorCode::InvalidFormat},
        {"no channels", riff({chunk("fmt ", format(1, 0, 8000, 16)), chunk("data", s16({1}))}),
         ErrorCode::InvalidFormat},
        {"rate 0", riff({chunk("fmt ", format(1, 1, 0, 16)), chunk("data", s16({1}))}), ErrorCode::InvalidFormat},
        // The import would divide by this rate.
        {"rate 0 set behind the samples",
         riff({chunk("fmt ", format(1, 1, 8000, 16)), chunk("data", s16({1})), chunk("fmt ", format(1, 1, 0, 16))}),
         ErrorCode::InvalidFormat},
        {"5-byte PCM", riff({chunk("fmt ", format(1, 1, 8000, 40)), chunk("data", Bytes(10, 0))}),
         ErrorCode::InvalidFormat},
        {"16-bit float", riff({chunk("fmt ", format(3, 1, 8000, 16)), chunk("data", s16({1}))}),
         ErrorCode::InvalidFormat},
    });
}

// --- Data chunk ---

TEST(WavReader, PeakIsTheFirstSampleOfLargestMagnitude) {
    struct Case {
        Bytes file;
        uint8_t mixToMono;
        float peak;
    };
    const Case cases[] = {
        {mono16({8192, 16384, -16384}), 0, 0.5f},
        {mono16({-16384, 8192, 16384}), 0, -0.5f},
        {mono16({}), 0, 0.0f},
        // Mixed, the peak is that of the means: (0.5 - 0.5) / 2, then (0.25 + 0.25) / 2.
        {riff({chunk("fmt ", format(1, 2, 8000, 16)), chunk("data", s16({16384, -16384, 8192, 8192}))}), 1, 0.25f},
    };
    for (const Case& c : cases) {
        Parsed parsed(c.file, c.mixToMono);
        EXPECT_EQ(parsed.code, ErrorCode::Ok);
        EXPECT_EQ(parsed.decoded.peak, c.peak);
    }
    // A second data chunk replaces the samples of the first; the peak is of both.
    Parsed twice(riff({chunk("fmt ", format(1, 1, 8000, 16)), chunk("data", s16({-16384, 4096})),
                       chunk("data", s16({8192}))}));
    EXPECT_EQ(twice.code, ErrorCode::Ok);
    EXPECT_EQ(twice.samples(), std::vector<float>({0.25f}));
    EXPECT_EQ(twice.decoded.peak, -0.5f);
}

// Long files are decoded in blocks; values and the peak must not depend on
// where the blocks begin and end.
TEST(WavReader, DecodesLongFilesLikeShortOnes) {
    constexpr uint32_t kFrames = 1200000;
    struct Case {
        const char* what;
        uint16_t channels;
        uint8_t mixToMono;
        std::vector<std::pair<uint32_t, int16_t>> loud;  // sample index and value
        float peak;
    };
    const Case cases[] = {
        {"mono, positive first", 1, 0, {{700000, 16384}, {1100000, -16384}}, 0.5f},
        {"mono, negative first", 1, 0, {{300000, -16384}, {900000, 16384}}, -0.5f},
        {"mono, only in the last frame", 1, 0, {{kFrames - 1, -16384}}, -0.5f},
        {"stereo mixed, negative first", 2, 1,
         {{2 * 250001, -16384}, {2 * 250001 + 1, -16384}, {2 * 1000000, 16384}, {2 * 1000000 + 1, 16384}}, -0.5f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        uint32_t count = kFrames * c.channels;
        std::vector<int16_t> stored(count);
        for (uint32_t i = 0; i < count; ++i) stored[i] = static_cast<int16_t>(int32_t(i % 2001) - 1000);
        for (const auto& [index, value] : c.loud) stored[index] = value;
        Bytes data(2 * size_t(count));
        for (uint32_t i = 0; i < count; ++i) {
            data[2 * i] = uint8_t(stored[i]);
            data[2 * i + 1] = uint8_t(uint16_t(stored[i]) >> 8);
        }
        Parsed parsed(riff({chunk("fmt ", format(1, c.channels, 44100, 16)), chunk("data", data)}), c.mixToMono);
        ASSERT_EQ(parsed.code, ErrorCode::Ok);
        ASSERT_EQ(parsed.decoded.samples.count, c.mixToMono ? kFrames : count);
        uint32_t wrong = 0;
        for (uint32_t i = 0; i < parsed.decoded.samples.count; ++i) {
            float expected = c.mixToMono ? (0.0f + stored[2 * i] / 32768.0f + stored[2 * i + 1] / 32768.0f) / 2.0f
                                         : stored[i] / 32768.0f;
            if (parsed.decoded.samples.data[i] != expected) ++wrong;
        }
        EXPECT_EQ(wrong, 0u);
        EXPECT_EQ(parsed.decoded.peak, c.peak);
    }
}

TEST(WavReader, MixingAveragesEachFrameAndIgnoresAPartialOne) {
    Bytes file = riff({chunk("fmt ", format(1, 2, 8000, 16)), chunk("data", s16({16384, 8192, 4096}))});
    Parsed mixed(file, 1);
    EXPECT_EQ(mixed.code, ErrorCode::Ok);
    EXPECT_EQ(mixed.samples(), std::vector<float>({0.375f}));
    EXPECT_EQ(mixed.decoded.channels, 1u);
    Parsed interleaved(file, 0);
    EXPECT_EQ(interleaved.samples(), std::vector<float>({0.5f, 0.25f, 0.125f}));
    EXPECT_EQ(interleaved.decoded.channels, 2u);
}

// --- Sampler chunk ---

namespace {

// The "smpl" body: manufacturer, product, period, unity note, pitch fraction,
// SMPTE format and offset, loop count, sampler-data size, then the loops
// (cue id, type, start, end, fraction, play count) and the sampler data.
Bytes samplerChunk(uint32_t loops, const Bytes& samplerData, uint32_t claimedLoops) {
    Bytes out;
    putU32(out, 0x47);
    putU32(out, 0x1234);
    putU32(out, 22676);
    putU32(out, 0x13C);
    putU32(out, 0x80000000);
    putU32(out, 0);
    putU32(out, 0);
    putU32(out, claimedLoops);
    putU32(out, static_cast<uint32_t>(samplerData.size()));
    for (uint32_t i = 0; i < loops; ++i)
        for (uint32_t v : {7 + i, i, 100 + i, 200 + i, 0u, 3 + i}) putU32(out, v);
    append(out, samplerData);
    return out;
}

}  // namespace

TEST(WavReader, ReadsASamplerChunkOfTheRightSize) {
    Bytes body = samplerChunk(1, {}, 1);
    ASSERT_EQ(body.size(), 60u);
    Parsed parsed(riff({chunk("fmt ", format(1, 1, 8000, 16)), chunk("smpl", body), chunk("data", s16({1}))}));
    EXPECT_EQ(parsed.code, ErrorCode::Ok);
    EXPECT_EQ(parsed.decoded.hasSampler, 1);
    EXPECT_EQ(parsed.decoded.unityNote, 0x3C);
    EXPECT_EQ(parsed.decoded.pitchFraction, 0x80000000u);
    ASSERT_EQ(parsed.decoded.loops.count, 1u);
    const WavLoop expected = {7, 0, 100, 200, 0, 3};
    EXPECT_EQ(memcmp(&parsed.decoded.loops.items[0], &expected, sizeof expected), 0);
    EXPECT_EQ(parsed.decoded.samplerData.count, 0u);
    EXPECT_EQ(parsed.decoded.samples.count, 1u);

    Parsed withData(riff({chunk("smpl", samplerChunk(2, {9, 8, 7}, 2))}));
    EXPECT_EQ(withData.code, ErrorCode::Ok);
    EXPECT_EQ(withData.decoded.hasSampler, 1);
    ASSERT_EQ(withData.decoded.loops.count, 2u);
    EXPECT_EQ(withData.decoded.loops.items[1].cuePointId, 8u);
    EXPECT_EQ(withData.decoded.loops.items[1].end, 201u);
    ASSERT_EQ(withData.decoded.samplerData.count, 3u);
    EXPECT_EQ(Bytes(withData.decoded.samplerData.data, withData.decoded.samplerData.data + 3), Bytes({9, 8, 7}));
}

TEST(WavReader, SkipsASamplerChunkOfTheWrongSize) {
    struct Case {
        const char* what;
        Bytes body;
    };
    Bytes longer = samplerChunk(1, {}, 1);
    putU32(longer, 0);
    const Case cases[] = {
        {"one loop stored, none counted", samplerChunk(1, {}, 0)},
        {"one loop stored, two counted", samplerChunk(1, {}, 2)},
        {"four bytes beyond the loop", longer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Parsed parsed(riff({chunk("fmt ", format(1, 1, 8000, 16)), chunk("smpl", c.body), chunk("data", s16({1}))}));
        EXPECT_EQ(parsed.code, ErrorCode::Ok);
        EXPECT_EQ(parsed.decoded.hasSampler, 0);
        EXPECT_EQ(parsed.decoded.loops.count, 0u);
        EXPECT_EQ(parsed.decoded.samples.count, 1u);
    }
}

// --- Loading ---

TEST(WavReader, ReportsLoadingFailures) {
    checkLoadingFailures(readWav, mono16({1, 2, 3}), "three.wav");
}
