#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "import/sample_files.h"
#include "import/wav_reader.h"
#include "test_files.h"

namespace {

using namespace sample_files;
using namespace sample_files::wav;

// WAVEFORMATEXTENSIBLE, mono: the 16-byte body with tag 0xFFFE, then cbSize
// 22, valid bits, channel mask and the KSDATAFORMAT_SUBTYPE GUID, whose first
// two bytes are a format tag.
Bytes extensibleFormat(uint32_t rate, uint16_t bits, uint16_t subFormat) {
    Bytes out = format(0xFFFE, 1, rate, bits);
    putU16(out, 22);
    putU16(out, bits);
    putU32(out, 0x4);
    putU16(out, subFormat);
    append(out, {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
    return out;
}

// The "smpl" body: manufacturer, product, period, unity note, pitch fraction,
// SMPTE format and offset, loop count, sampler-data size, then the loops
// (cue id, type, start, end, fraction, play count) and the sampler data.
Bytes samplerChunk(uint32_t loops, const Bytes& samplerData, uint32_t claimedLoops) {
    Bytes out;
    uint32_t dataSize = uint32_t(samplerData.size());
    for (uint32_t v : {0x47u, 0x1234u, 22676u, 0x13Cu, 0x80000000u, 0u, 0u, claimedLoops, dataSize}) putU32(out, v);
    for (uint32_t i = 0; i < loops; ++i)
        for (uint32_t v : {7 + i, i, 100 + i, 200 + i, 0u, 3 + i}) putU32(out, v);
    append(out, samplerData);
    return chunk("smpl", out);
}

Bytes withSampler(const Bytes& smpl) {
    return riff({chunk("fmt ", format(1, 1, 8000, 16)), smpl, chunk("data", s16({1}))});
}

}  // namespace

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

TEST(WavReader, RefusesWhatItCannotReadWithItsCode) {
    const ErrorCode kFormat = ErrorCode::InvalidFormat, kCut = ErrorCode::BufferTooSmall;
    const ErrorCode kEncoding = ErrorCode::UnsupportedEncoding;  // a WAV all the same
    Bytes good = mono16({1, 2}), one = s16({1}), fmt8 = format(1, 1, 8000, 8), fmt16 = format(1, 1, 8000, 16);
    Bytes shortExtensible = format(0xFFFE, 1, 8000, 16);
    putU16(shortExtensible, 0);
    Bytes sampler = riff({chunk("fmt ", fmt16), chunk("smpl", patched(Bytes(36, 0), 32, {8}))});
    std::vector<CodeCase> cases = {
        {"empty file", {}, kFormat},
        {"RIFF and nothing more", {'R', 'I', 'F', 'F'}, kFormat},
        {"no form type", {'R', 'I', 'F', 'F', 0, 0, 0, 0}, kFormat},
        {"RIFX", patched(good, 3, "X"), kFormat},
        {"AVI form", patched(good, 8, "AVI "), kFormat},
        {"RIFF size beyond the file", patched(good, 4, {uint8_t(good[4] + 1)}), kFormat},
        // Truncated; an odd chunk claiming more than the file holds has its pad beyond the end.
        {"no pad after the last odd chunk", riff({chunk("fmt ", fmt8), chunk("data", {1, 2, 3}, Pad::None)}), kCut},
        {"odd chunk beyond the end", patched(riff({chunk("junk", Bytes(10, 1)), chunk("fmt ", fmt8)}), 16, {99}), kCut},
        {"data beyond the end", patched(withData(fmt16, s16({1, 2})), -8, {6}), kCut},
        {"format chunk cut short", cut(riff({chunk("fmt ", fmt16)}), 4), kCut},
        {"sampler data beyond the end", patched(sampler, -40, {44}), kCut},
        // Extensible files whose sub-format is not plain PCM or float.
        {"A-law sub-format", withData(extensibleFormat(8000, 8, 6), {0xD5}), kEncoding},
        {"PCM tag in a foreign GUID", withData(patched(extensibleFormat(8000, 16, 1), -1, {0x70}), one), kEncoding},
        {"extensible tag without the extension", withData(shortExtensible, one), kEncoding},
        // Data without a usable format before it.
        {"data before fmt", riff({chunk("data", one), chunk("fmt ", fmt16)}), kFormat},
        {"no fmt at all", riff({chunk("data", one)}), kFormat},
        {"no channels", withData(format(1, 0, 8000, 16), one), kFormat},
        {"rate 0", withData(format(1, 1, 0, 16), one), kFormat},
        // The import would divide by this rate.
        {"rate 0 set behind the samples",
         riff({chunk("fmt ", fmt16), chunk("data", one), chunk("fmt ", format(1, 1, 0, 16))}), kFormat},
        {"5-byte PCM", withData(format(1, 1, 8000, 40), Bytes(10, 0)), kEncoding},
        {"16-bit float", withData(format(3, 1, 8000, 16), one), kEncoding},
    };
    for (uint16_t tag : {0, 2, 0x11, 0x55, 0xFFFF})  // MS ADPCM, IMA ADPCM, MPEG layer 3
        cases.push_back({"unsupported tag", withData(format(tag, 1, 8000, 16), one), kEncoding});
    expectCodes(parseWav, cases);
}

// The sox files cover the common tags and sizes; these are what they do not show.
TEST(WavReader, DecodesHandMadeFiles) {
    Bytes noChunks = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'};
    // Bytes after the RIFF size are not part of the file.
    Bytes dataBehind = riff({chunk("fmt ", format(1, 1, 22050, 16))});
    append(dataBehind, chunk("data", s16({1000})));
    Bytes junk = {'a', 'b', 'c'}, fmt = chunk("fmt ", format(1, 1, 8000, 16)), data = chunk("data", s16({16384}));
    Bytes quarter = chunk("data", s16({8192}));
    Bytes stereo = format(1, 2, 8000, 16), partialFrame = withData(stereo, s16({16384, 8192, 4096}));
    // What, mixed to mono, samples, peak, file.
    const std::tuple<const char*, uint8_t, std::vector<float>, float, Bytes> cases[] = {
        {"no chunks", 1, {}, 0.0f, noChunks},
        {"data beyond the RIFF size", 1, {}, 0.0f, dataBehind},
        {"odd chunk with its pad", 0, {0.5f}, 0.5f, riff({chunk("junk", junk), fmt, data})},
        // Some writers leave the pad out: the next chunk's id follows at once.
        {"odd chunk without its pad", 0, {0.5f}, 0.5f, riff({chunk("junk", junk, Pad::None), fmt, data})},
        {"odd 8-bit data chunk, padded", 0, {0.0f, -1.0f, 0.9921875f}, -1.0f,
         withData(format(1, 1, 8000, 8), {0x80, 0x00, 0xFF})},
        {"32-bit PCM with the plain tag", 0, {0.5f}, 0.5f, withData(format(1, 1, 8000, 32), {0, 0, 0, 0x40})},
        // The container size decides: 20 bits in 3 bytes, 12 bits in 2.
        {"20-bit PCM", 0, {0.5f}, 0.5f, withData(format(1, 1, 8000, 20), {0x00, 0x00, 0x40})},
        {"12-bit PCM", 0, {0.5f}, 0.5f, withData(format(1, 1, 8000, 12), {0x00, 0x40})},
        // Float samples are taken as stored, beyond full scale too.
        {"float", 0, {1.5f, -2.0f, 0.25f}, -2.0f, withData(format(3, 1, 8000, 32), f32({1.5f, -2.0f, 0.25f}))},
        {"extensible float", 0, {0.75f, -1.25f}, -1.25f, withData(extensibleFormat(8000, 32, 3), f32({0.75f, -1.25f}))},
        // G.711: the smallest and the largest levels, worked out by hand (the files show the rest).
        {"A-law", 0, {1 / 4095.0f, 4032 / 4095.0f}, 4032 / 4095.0f, withData(format(6, 1, 8000, 8), {0xD5, 0xAA})},
        {"mu-law", 0, {0.0f, 8031 / 8191.0f}, 8031 / 8191.0f, withData(format(7, 1, 8000, 8), {0xFF, 0x80})},
        // Mixed, each frame is averaged and a partial last frame left out.
        {"partial frame, mixed", 1, {0.375f}, 0.375f, partialFrame},
        {"partial frame, interleaved", 0, {0.5f, 0.25f, 0.125f}, 0.5f, partialFrame},
        // A second data chunk replaces the samples of the first; the peak is of both.
        {"two data chunks", 0, {0.25f}, -0.5f, riff({fmt, chunk("data", s16({-16384, 4096})), quarter})},
    };
    for (const auto& [what, mixToMono, samples, peak, file] : cases) {
        SCOPED_TRACE(what);
        Decoded parsed(parseWav, file, mixToMono);
        EXPECT_EQ(parsed.code, ErrorCode::Ok);
        EXPECT_EQ(parsed.samples(), samples);
        EXPECT_EQ(parsed.decoded.peak, peak);
    }
}

TEST(WavReader, ReadsASamplerChunkOnlyOfTheRightSize) {
    Decoded parsed(parseWav, withSampler(samplerChunk(2, {9, 8, 7}, 2)));
    EXPECT_EQ(parsed.code, ErrorCode::Ok);
    EXPECT_EQ(parsed.decoded.hasSampler, 1);
    EXPECT_EQ(parsed.decoded.unityNote, 0x3C);
    EXPECT_EQ(parsed.decoded.pitchFraction, 0x80000000u);
    ASSERT_EQ(parsed.decoded.loops.count, 2u);
    const WavLoop second = {8, 1, 101, 201, 0, 4};
    EXPECT_EQ(memcmp(&parsed.decoded.loops.items[1], &second, sizeof second), 0);
    const ByteBuffer& data = parsed.decoded.samplerData;
    EXPECT_EQ(Bytes(data.data, data.data + data.count), Bytes({9, 8, 7}));
    EXPECT_EQ(parsed.decoded.samples.count, 1u);

    // One loop stored but none or two counted; four bytes beyond the loop, counted as no sampler data.
    Bytes longer = patched(samplerChunk(1, {0, 0, 0, 0}, 1), 40, Bytes(1, 0));
    for (const Bytes& wrong : {samplerChunk(1, {}, 0), samplerChunk(1, {}, 2), longer}) {
        Decoded skipped(parseWav, withSampler(wrong));
        EXPECT_EQ(skipped.code, ErrorCode::Ok);
        EXPECT_EQ(skipped.decoded.hasSampler, 0);
        EXPECT_EQ(skipped.decoded.loops.count, 0u);
        EXPECT_EQ(skipped.decoded.samples.count, 1u);
    }
}

// The file opened in blocks, as the import opens it: no path, no file, a
// file over the limit; and the same file loads at exactly the limit.
TEST(WavReader, ReportsLoadingFailures) {
    ScratchFolder folder;
    Bytes file = mono16({1, 2, 3});
    std::string path = written(folder, "three.wav", file);
    uint32_t size = uint32_t(file.size());
    EXPECT_EQ(Decoded(readWav, std::string(), 1).code, ErrorCode::InvalidArgument);
    EXPECT_EQ(Decoded(readWav, folder.file("missing.wav"), 1).code, ErrorCode::NotFound);
    EXPECT_EQ(Decoded(readWav, path, 1, size - 1).code, ErrorCode::TooLarge);
    Decoded atLimit(readWav, path, 1, size);
    EXPECT_EQ(atLimit.code, ErrorCode::Ok);
    EXPECT_EQ(atLimit.decoded.samples.count, 3u);
}
