#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "import/aiff_reader.h"
#include "import/sample_files.h"
#include "test_files.h"

namespace {

using namespace sample_files;
using namespace sample_files::aiff;

// MARK: the count, then id, position and name (count byte and text) of each
// marker, padded so that every marker starts at an even offset. The names
// have every length parity, so each lookup crosses padded and unpadded markers.
Bytes markers(uint16_t count = 5) {
    const char* const names[] = {"a", "bc", "def", "", "Loop end"};
    Bytes body;
    putU16(body, count);
    for (uint16_t id = 1; id <= 5; ++id) {
        putU16(body, id);
        putU32(body, 100u * id);
        body.push_back(static_cast<uint8_t>(strlen(names[id - 1])));
        put(body, names[id - 1]);
        if (body.size() % 2) body.push_back(0);
    }
    return chunk("MARK", body);
}

using Loop = std::array<uint16_t, 3>;  // play mode, begin and end marker ids

// INST: base note, detune, low and high note, low and high velocity, gain,
// then the sustain and release loops.
Bytes instrument(uint8_t base, uint8_t detune, uint8_t low, uint8_t high, Loop sustain, Loop release) {
    Bytes body = {base, detune, low, high, 1, 127, 0, 0};
    for (const Loop& loop : {sustain, release})
        for (uint16_t v : loop) putU16(body, v);
    return chunk("INST", body);
}

Bytes withInstrument(const Bytes& mark, const Bytes& inst) {
    return form("AIFF", {common(1, 2, 16), mark, inst, sound(s16({1, 2}))});
}

}  // namespace

TEST(AiffFixtures, DecodeLikeTheirReferences) {
    const Fixture fixtures[] = {
        {"aiff_s8_mono.aiff", 1, 22050, Match::Exact},
        {"aiff_s16_stereo.aiff", 2, 44100, Match::Exact},
        {"aiff_s16_6ch.aiff", 6, 32000, Match::Exact},
        {"aiff_s24_stereo.aiff", 2, 48000, Match::Exact},
        {"aiff_s32_mono.aiff", 1, 11025, Match::SoxFloatOutput},
        {"aifc_none_s16_stereo.aifc", 2, 44100, Match::Exact},
        {"aifc_none_s24_mono.aifc", 1, 8000, Match::Exact},
        {"aifc_fl32_stereo.aifc", 2, 48000, Match::SoxFloatOutput},
        {"aifc_fl64_mono.aifc", 1, 22050, Match::SoxFloatOutput},
        // make_aifc.py gives exact values, the G.711 ones on sox's scale.
        {"aifc_twos_s8_mono.aifc", 1, 22050, Match::Exact},
        {"aifc_twos_s16_6ch.aifc", 6, 32000, Match::Exact},
        {"aifc_sowt_s16_stereo.aifc", 2, 44100, Match::Exact},
        {"aifc_sowt_s24_mono.aifc", 1, 48000, Match::Exact},
        {"aifc_sowt_s32_stereo.aifc", 2, 96000, Match::Exact},
        {"aifc_raw_u8_mono.aifc", 1, 11025, Match::Exact},
        {"aifc_in24_stereo.aifc", 2, 44100, Match::Exact},
        {"aifc_in32_mono.aifc", 1, 8000, Match::Exact},
        {"aifc_42ni_stereo.aifc", 2, 16000, Match::Exact},
        {"aifc_23ni_mono.aifc", 1, 37908, Match::Exact},
        {"aifc_FL32_stereo.aifc", 2, 44100, Match::Exact},
        {"aifc_FL64_mono.aifc", 1, 48000, Match::Exact},
        {"aifc_alaw_stereo.aifc", 2, 8000, Match::ALaw},
        {"aifc_ALAW_mono.aifc", 1, 11025, Match::ALaw},
        {"aifc_ulaw_mono.aifc", 1, 8000, Match::MuLaw},
        // 22254.5454... Hz: the whole part.
        {"aifc_ULAW_stereo.aifc", 2, 22254, Match::MuLaw},
    };
    for (const Fixture& fixture : fixtures) checkFixture(readAiff, fixture);
}

TEST(AiffExtended, KeepsTheWholePartOfRatesThatFit32Bits) {
    const int64_t kNoFit = -1;
    const std::tuple<uint16_t, uint64_t, int64_t> cases[] = {
        {0x400E, 0xAC44800000000000, 44100},  // 44100.5
        {0x3FFF, 0x8000000000000000, 1},
        {0x3FFE, 0x8000000000000000, 0},  // 0.5
        {0x0000, 0x0000000000000000, 0},
        {0xBFFE, 0x8000000000000000, 0},  // -0.5 cut toward zero
        {0x401E, 0xFFFFFFFF00000000, 0xFFFFFFFF},
        {0x401F, 0x8000000000000000, kNoFit},  // 2^32
        {0x4050, 0x8000000000000000, kNoFit},  // 2^81
        {0x7FFF, 0x8000000000000000, kNoFit},  // infinity
        {0xC00E, 0xAC44000000000000, kNoFit},  // -44100
    };
    for (const auto& [exponentWord, mantissa, expected] : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << exponentWord << " " << mantissa);
        uint32_t value = 12345;
        bool fits = extendedToU32(exponentWord, mantissa, value);
        EXPECT_EQ(fits ? int64_t(value) : kNoFit, expected);
    }
}

TEST(AiffReader, RefusesWhatItCannotReadWithItsCode) {
    const ErrorCode kFormat = ErrorCode::InvalidFormat, kCut = ErrorCode::BufferTooSmall, kOk = ErrorCode::Ok;
    const ErrorCode kEncoding = ErrorCode::UnsupportedEncoding;
    Bytes good = mono16({1}), comm = common(1, 1, 16, k44100, "NONE"), one = sound(s16({1}));
    Bytes aiffComm = common(1, 1, 16), note = chunk("ANNO", Bytes(10, 'x')), noFrames = common(2, 0, 16);
    std::vector<CodeCase> cases = {
        {"empty file", {}, kFormat},
        {"FORM and nothing more", {'F', 'O', 'R', 'M'}, kFormat},
        {"no form type", {'F', 'O', 'R', 'M', 0, 0, 0, 0}, kFormat},
        {"RIFF", patched(good, 0, "RIFF"), kFormat},
        {"FORM size beyond the file", patched(good, 7, {uint8_t(good[7] + 1)}), kFormat},
        {"WAVE form", patched(good, 8, "WAVE"), kFormat},
        {"lower-case form type", patched(good, 8, "aiff"), kFormat},
        // The chunk walk is the WAV reader's, with big-endian sizes.
        {"fewer samples than frames", form("AIFF", {common(1, 4, 16), sound(s16({1, 2, 3}))}), kCut},
        {"sound offset beyond the samples", patched(form("AIFF", {aiffComm, one}), -7, {4}), kCut},
        {"no pad after the last odd chunk", form("AIFF", {common(1, 3, 8), sound({1, 2, 3}, 0, Pad::None)}), kCut},
        {"odd chunk beyond the end", patched(form("AIFF", {note, aiffComm, one}), 19, {99}), kCut},
        {"common chunk cut in its rate", cut(form("AIFF", {one, aiffComm}), 8), kCut},
        // With no frames nothing behind the SSND offset field is read, but that field must be there.
        {"SSND cut in its offset field", form("AIFF", {noFrames, chunk("SSND", {0, 0})}), kCut},
        // AIFC needs the version 1 chunk, wherever it stands; AIFF does not.
        {"AIFC with FVER last", form("AIFC", {comm, one, version()}), kOk},
        {"AIFC without FVER", form("AIFC", {comm, one}), kFormat},
        {"AIFC with another version", form("AIFC", {version(kVersion1 + 1), comm, one}), kFormat},
        {"AIFC with its version cut off", cut(form("AIFC", {comm, one, version()}), 2), kFormat},
        {"AIFF with another version", form("AIFF", {version(0), aiffComm, one}), kFormat},
        // Refused at once: a later, usable COMM does not undo it.
        {"unknown type, then NONE", form("AIFC", {version(), common(1, 1, 16, k44100, "ima4"), comm, one}), kEncoding},
        {"no COMM", form("AIFF", {one}), kFormat},
        {"5-byte samples", form("AIFF", {common(1, 1, 40), sound(Bytes(6, 0))}), kEncoding},
        {"samples without SSND", form("AIFF", {common(1, 3, 16)}), kFormat},
        {"no channels", form("AIFF", {common(0, 3, 16), sound(s16({1, 2, 3}))}), kFormat},
        {"rate 0", mono16({1}, {0, 0}), kFormat},
        {"rate 2^32", mono16({1}, {0x401F, 0x8000000000000000}), kFormat},
    };
    for (const char* type : {"ima4", "MAC3", "GSM ", "none", "SOWT"})
        cases.push_back({type, form("AIFC", {version(), common(1, 1, 16, k44100, type), one}), kEncoding});
    // A type the file ends in cannot be read, so it is not a known one either
    // (as a WAV format tag cut off is refused); with the type whole it loads.
    for (uint32_t kept : {18u, 20u, 22u})
        cases.push_back({"COMM cut in its type", cut(form("AIFC", {version(), one, comm}), 24 - kept),
                         kept < 22 ? kFormat : kOk});
    expectCodes(parseAiff, cases);
}

TEST(AiffReader, DecodesHandMadeFiles) {
    // Two frames of one stored sample under a compression type and bits field.
    auto compressed = [](const char* type, uint16_t bits, Bytes sample) {
        append(sample, Bytes(sample));
        return form("AIFC", {version(), common(1, 2, bits, k44100, type), sound(sample)});
    };
    Bytes farOffset = {0, 0, 0x03, 0xE8, 0, 0, 0, 0}, noFrames = common(2, 0, 16);
    const std::tuple<const char*, Bytes, std::vector<float>> cases[] = {
        // 8-bit samples leave the sound chunk odd; its pad byte ends the file.
        {"odd sound chunk", form("AIFF", {chunk("ANNO", {'a', 'b', 'c'}), common(1, 3, 8), sound({0x80, 0x40, 0x7F})}),
         {-1.0f, 0.5f, 0.9921875f}},
        {"samples after the sound offset", form("AIFF", {common(1, 2, 16), sound(s16({8192, -8192}), 6)}),
         {0.25f, -0.25f}},
        {"AIFC with a short COMM: big-endian PCM",
         form("AIFC", {version(), common(1, 2, 16), sound(s16({16384, -8192}))}), {0.5f, -0.25f}},
        // What the files of make_aifc.py do not show: a size they do not use,
        // and from "raw " on the type alone deciding, whatever the bits field says.
        {"sowt, 8 bits", compressed("sowt", 8, {0xC0}), {-0.5f, -0.5f}},
        {"raw ", compressed("raw ", 16, {0x40}), {-0.5f, -0.5f}},
        {"in24", compressed("in24", 16, {0xC0, 0x00, 0x00}), {-0.5f, -0.5f}},
        {"in32", compressed("in32", 16, {0xC0, 0x00, 0x00, 0x00}), {-0.5f, -0.5f}},
        {"42ni", compressed("42ni", 16, {0x00, 0x00, 0xC0}), {-0.5f, -0.5f}},
        {"23ni", compressed("23ni", 16, {0x00, 0x00, 0x00, 0xC0}), {-0.5f, -0.5f}},
        {"FL32", compressed("FL32", 16, {0xBF, 0x00, 0x00, 0x00}), {-0.5f, -0.5f}},
        {"FL64", compressed("FL64", 16, {0xBF, 0xE0, 0, 0, 0, 0, 0, 0}), {-0.5f, -0.5f}},
        // With no frames nothing behind the SSND offset field is read: not the
        // block size, not the 1000 bytes the offset skips.
        {"no frames, no SSND", form("AIFF", {noFrames}), {}},
        {"no frames, SSND of the offset alone", form("AIFF", {noFrames, chunk("SSND", {0, 0, 0, 0})}), {}},
        {"no frames, SSND offset beyond the file", form("AIFF", {noFrames, chunk("SSND", farOffset)}), {}},
    };
    for (const auto& [what, file, samples] : cases) {
        SCOPED_TRACE(what);
        for (uint8_t mixToMono : {0, 1}) {
            Decoded parsed(parseAiff, file, mixToMono);
            EXPECT_EQ(parsed.code, ErrorCode::Ok);
            EXPECT_EQ(parsed.samples(), samples);  // every file with samples is mono
        }
    }
}

TEST(AiffInstrument, ResolvesNotesAndLoopsOnlyWithBothChunks) {
    auto loops = [](Loop loop, uint16_t markerCount) {
        return withInstrument(markers(markerCount), instrument(60, 0, 0, 72, loop, loop));
    };
    auto notes = [](uint8_t base, uint8_t low, uint8_t high) {
        return withInstrument(markers(), instrument(base, 0, low, high, {}, {}));
    };
    Bytes comm = common(1, 2, 16), two = sound(s16({1, 2})), inst = instrument(60, 3, 48, 72, {1, 1, 3}, {});
    // What, file, has an instrument, root note, high note, detune, sustain and release loops.
    const std::tuple<const char*, Bytes, uint8_t, uint8_t, uint8_t, uint8_t, AiffLoop, AiffLoop> cases[] = {
        {"loops resolved", withInstrument(markers(), instrument(60, 0xF6, 48, 72, {1, 2, 5}, {2, 4, 3})), 1, 60, 72,
         0xF6, {1, 200, 500}, {2, 400, 300}},
        // A loop that cannot be resolved is all zero.
        {"begin marker missing", loops({1, 9, 3}, 5), 1, 60, 72, 0, {}, {}},
        {"end marker missing", loops({1, 1, 9}, 5), 1, 60, 72, 0, {}, {}},
        {"play mode 0", loops({0, 1, 3}, 5), 1, 60, 72, 0, {}, {}},
        {"begin id 0", loops({1, 0, 3}, 5), 1, 60, 72, 0, {}, {}},
        {"end id 0", loops({1, 1, 0}, 5), 1, 60, 72, 0, {}, {}},
        {"end marker beyond the marker count", loops({1, 1, 5}, 4), 1, 60, 72, 0, {}, {}},
        // No base note: the low note; a high note below the root: an octave
        // less one above it, in 8 bits.
        {"base note", notes(60, 48, 72), 1, 60, 72, 0, {}, {}},
        {"low note", notes(0, 48, 72), 1, 48, 72, 0, {}, {}},
        {"high note below the root", notes(60, 48, 50), 1, 60, 71, 0, {}, {}},
        {"high note at the root", notes(60, 48, 60), 1, 60, 60, 0, {}, {}},
        {"250 + 11", notes(250, 0, 10), 1, 250, 5, 0, {}, {}},
        // An instrument that cannot be read never fails the file.
        {"INST without MARK", form("AIFF", {comm, inst, two}), 0, 0, 0, 0, {}, {}},
        {"MARK without INST", form("AIFF", {comm, markers(), two}), 0, 0, 0, 0, {}, {}},
        {"INST cut in its sustain loop", cut(form("AIFF", {comm, two, markers(), inst}), 10), 0, 0, 0, 0, {}, {}},
    };
    auto loopOf = [](const AiffLoop& l) { return std::make_tuple(l.playMode, l.start, l.end); };
    for (const auto& [what, file, hasInstrument, rootNote, highNote, detune, sustain, release] : cases) {
        SCOPED_TRACE(what);
        Decoded parsed(parseAiff, file);
        const DecodedSample& d = parsed.decoded;
        EXPECT_EQ(parsed.code, ErrorCode::Ok);
        EXPECT_EQ(d.hasInstrument, hasInstrument);
        if (hasInstrument) {
            EXPECT_EQ(std::make_tuple(d.rootNote, d.highNote, d.detune), std::make_tuple(rootNote, highNote, detune));
        }
        EXPECT_EQ(loopOf(d.sustainLoop), loopOf(sustain));
        EXPECT_EQ(loopOf(d.releaseLoop), loopOf(release));
        EXPECT_EQ(parsed.samples().size(), 2u);
    }
}
