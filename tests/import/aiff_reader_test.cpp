#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "import/aiff_reader.h"
#include "import/sample_files.h"
#include "test_files.h"

namespace {

using namespace sample_files;
using namespace sample_files::aiff;

using Parsed = ParsedWith<parseAiff>;

void expectCodes(const std::vector<CodeCase>& cases) { expectCodesWith<parseAiff>(cases); }

}  // namespace

// --- Files written by sox and by make_aifc.py ---

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

// --- Sample rate ---

TEST(AiffExtended, KeepsTheWholePartOfRatesThatFit32Bits) {
    struct Case {
        uint16_t exponentWord;
        uint64_t mantissa;
        bool fits;
        uint32_t value;
    };
    const Case cases[] = {
        {0x400E, 0xAC44000000000000, true, 44100},
        {0x400E, 0xAC44800000000000, true, 44100},  // 44100.5
        {0x400D, 0xADDD1745D1745800, true, 22254},  // 22254.5454...
        {0x3FFF, 0x8000000000000000, true, 1},
        {0x3FFE, 0x8000000000000000, true, 0},      // 0.5
        {0x0000, 0x0000000000000000, true, 0},
        {0xBFFE, 0x8000000000000000, true, 0},      // -0.5 cut toward zero
        {0x401E, 0xFFFFFFFF00000000, true, 0xFFFFFFFF},
        {0x401F, 0x8000000000000000, false, 0},     // 2^32
        {0x4050, 0x8000000000000000, false, 0},     // 2^81
        {0x7FFF, 0x8000000000000000, false, 0},     // infinity
        {0xC00E, 0xAC44000000000000, false, 0},     // -44100
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.exponentWord << " " << c.mantissa);
        uint32_t value = 12345;
        EXPECT_EQ(extendedToU32(c.exponentWord, c.mantissa, value), c.fits);
        if (c.fits) {
            EXPECT_EQ(value, c.value);
        }
    }
}

// --- Header and chunk walk ---

TEST(AiffReader, RefusesABrokenHeader) {
    Bytes good = mono16({1});
    Bytes rifx = good;
    memcpy(&rifx[0], "RIFF", 4);
    Bytes tooLong = good;
    tooLong[7] += 1;  // the FORM size claims one byte more than the file holds
    Bytes wave = good;
    memcpy(&wave[8], "WAVE", 4);
    Bytes lower = good;
    memcpy(&lower[8], "aiff", 4);
    expectCodes({
        {"empty file", {}, ErrorCode::InvalidFormat},
        {"FORM and nothing more", {'F', 'O', 'R', 'M'}, ErrorCode::InvalidFormat},
        {"no form type", {'F', 'O', 'R', 'M', 0, 0, 0, 0}, ErrorCode::InvalidFormat},
        {"RIFF", rifx, ErrorCode::InvalidFormat},
        {"FORM size beyond the file", tooLong, ErrorCode::InvalidFormat},
        {"WAVE form", wave, ErrorCode::InvalidFormat},
        {"lower-case form type", lower, ErrorCode::InvalidFormat},
    });
}

// The chunk walk is the WAV reader's (see its tests), with big-endian sizes.
TEST(AiffReader, StepsOverThePadByteOfAnOddSoundChunk) {
    // 8-bit samples leave the sound chunk odd; its pad byte ends the file.
    Parsed oddSound(form("AIFF", {chunk("ANNO", {'a', 'b', 'c'}), common(1, 3, 8), sound({0x80, 0x40, 0x7F})}));
    EXPECT_EQ(oddSound.code, ErrorCode::Ok);
    EXPECT_EQ(oddSound.samples(), std::vector<float>({-1.0f, 0.5f, 0.9921875f}));
}

TEST(AiffReader, StartsTheSamplesAfterTheSoundOffset) {
    Parsed parsed(form("AIFF", {common(1, 2, 16), sound(s16({8192, -8192}), 6)}));
    EXPECT_EQ(parsed.code, ErrorCode::Ok);
    EXPECT_EQ(parsed.samples(), std::vector<float>({0.25f, -0.25f}));
}

TEST(AiffReader, ReportsTruncation) {
    Bytes shortSound = form("AIFF", {common(1, 4, 16), sound(s16({1, 2, 3}))});
    Bytes farOffset = form("AIFF", {common(1, 1, 16), sound(s16({1}))});
    farOffset[farOffset.size() - 10 + 3] = 4;  // the offset field skips past the samples
    Bytes noFinalPad = form("AIFF", {common(1, 3, 8), sound({1, 2, 3}, 0, Pad::None)});
    Bytes annotationOverrun = form("AIFF", {chunk("ANNO", Bytes(10, 'x')), common(1, 1, 16), sound(s16({1}))});
    annotationOverrun[12 + 7] = 99;
    Bytes cutCommon = form("AIFF", {sound(s16({1})), common(1, 1, 16)});
    cutCommon.resize(cutCommon.size() - 8);
    cutCommon[7] -= 8;
    expectCodes({
        {"fewer samples than frames", shortSound, ErrorCode::BufferTooSmall},
        {"sound offset beyond the samples", farOffset, ErrorCode::BufferTooSmall},
        {"no pad after the last odd chunk", noFinalPad, ErrorCode::BufferTooSmall},
        {"odd chunk beyond the end", annotationOverrun, ErrorCode::BufferTooSmall},
        {"common chunk cut in its rate", cutCommon, ErrorCode::BufferTooSmall},
    });
}

// --- Version, common chunk and compression ---

TEST(AiffReader, AifcNeedsTheVersion1Chunk) {
    Bytes comm = common(1, 1, 16, k44100, "NONE");
    Bytes cutVersion = form("AIFC", {comm, sound(s16({1})), version()});
    cutVersion.resize(cutVersion.size() - 2);  // two bytes of the timestamp remain
    cutVersion[7] -= 2;
    expectCodes({
        {"AIFC with FVER", form("AIFC", {version(), comm, sound(s16({1}))}), ErrorCode::Ok},
        {"AIFC with FVER last", form("AIFC", {comm, sound(s16({1})), version()}), ErrorCode::Ok},
        {"AIFC without FVER", form("AIFC", {comm, sound(s16({1}))}), ErrorCode::InvalidFormat},
        {"AIFC with another version", form("AIFC", {version(kVersion1 + 1), comm, sound(s16({1}))}),
         ErrorCode::InvalidFormat},
        {"AIFC with its version cut off", cutVersion, ErrorCode::InvalidFormat},
        {"AIFF without FVER", mono16({1}), ErrorCode::Ok},
        {"AIFF with another version", form("AIFF", {version(0), common(1, 1, 16), sound(s16({1}))}),
         ErrorCode::InvalidFormat},
    });
}

TEST(AiffReader, ChoosesTheEncodingByCompressionType) {
    struct Case {
        const char* type;
        uint16_t bits;
        Bytes sample;
        float expected;
    };
    // What the files of make_aifc.py do not show: sizes they do not use, and
    // from "raw " on the type alone deciding, whatever the bits field says.
    const Case cases[] = {
        {"NONE", 8, {0xC0}, -0.5f},
        {"twos", 24, {0xC0, 0x00, 0x00}, -0.5f},
        {"twos", 32, {0xC0, 0x00, 0x00, 0x00}, -0.5f},
        {"sowt", 8, {0xC0}, -0.5f},
        {"raw ", 16, {0x40}, -0.5f},
        {"in24", 16, {0xC0, 0x00, 0x00}, -0.5f},
        {"in32", 16, {0xC0, 0x00, 0x00, 0x00}, -0.5f},
        {"42ni", 16, {0x00, 0x00, 0xC0}, -0.5f},
        {"23ni", 16, {0x00, 0x00, 0x00, 0xC0}, -0.5f},
        {"FL32", 16, {0xBF, 0x00, 0x00, 0x00}, -0.5f},
        {"FL64", 16, {0xBF, 0xE0, 0, 0, 0, 0, 0, 0}, -0.5f},
        {"alaw", 16, {0x55}, -1.0f / 4095.0f},
        {"ulaw", 16, {0x00}, -8031.0f / 8191.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << ", " << c.bits << " bits");
        Bytes two = c.sample;
        append(two, c.sample);  // two frames, so the second shows each decode advances by the sample size
        Parsed parsed(form("AIFC", {version(), common(1, 2, c.bits, k44100, c.type), sound(two)}));
        EXPECT_EQ(parsed.code, ErrorCode::Ok);
        EXPECT_EQ(parsed.samples(), std::vector<float>({c.expected, c.expected}));
    }
}

TEST(AiffReader, RefusesUnknownCompressionTypes) {
    for (const char* type : {"ima4", "MAC3", "GSM ", "none", "SOWT"}) {
        SCOPED_TRACE(type);
        Parsed parsed(form("AIFC", {version(), common(1, 1, 16, k44100, type), sound(s16({1}))}));
        EXPECT_EQ(parsed.code, ErrorCode::InvalidFormat);
    }
    // A type the file ends in cannot be read, so it is not a known one either
    // (as a WAV format tag cut off is refused); with the type whole it loads.
    for (uint32_t kept : {18u, 20u, 22u}) {
        SCOPED_TRACE(testing::Message() << kept << " bytes of COMM");
        Bytes file = form("AIFC", {version(), sound(s16({1})), common(1, 1, 16, k44100, "NONE")});
        uint32_t cut = 24 - kept;
        file.resize(file.size() - cut);
        file[7] -= cut;
        EXPECT_EQ(Parsed(file).code, kept < 22 ? ErrorCode::InvalidFormat : ErrorCode::Ok);
    }
    // Refused at once: a later, usable COMM does not undo it.
    Parsed twice(form("AIFC", {version(), common(1, 1, 16, k44100, "ima4"), common(1, 1, 16, k44100, "NONE"),
                               sound(s16({1}))}));
    EXPECT_EQ(twice.code, ErrorCode::InvalidFormat);
}

TEST(AiffReader, ReadsAShortAifcCommonChunkAsBigEndianPcm) {
    Parsed parsed(form("AIFC", {version(), common(1, 2, 16), sound(s16({16384, -8192}))}));
    EXPECT_EQ(parsed.code, ErrorCode::Ok);
    EXPECT_EQ(parsed.samples(), std::vector<float>({0.5f, -0.25f}));
}

TEST(AiffReader, RefusesFilesWithoutUsableSamples) {
    expectCodes({
        {"no COMM", form("AIFF", {sound(s16({1}))}), ErrorCode::InvalidFormat},
        {"5-byte samples", form("AIFF", {common(1, 1, 40), sound(Bytes(6, 0))}), ErrorCode::InvalidFormat},
        {"5-byte NONE samples",
         form("AIFC", {version(), common(1, 1, 40, k44100, "NONE"), sound(Bytes(6, 0))}),
         ErrorCode::InvalidFormat},
        {"samples without SSND", form("AIFF", {common(1, 3, 16)}), ErrorCode::InvalidFormat},
        {"no channels", form("AIFF", {common(0, 3, 16), sound(s16({1, 2, 3}))}), ErrorCode::InvalidFormat},
        {"rate 0", form("AIFF", {common(1, 1, 16, {0, 0}), sound(s16({1}))}), ErrorCode::InvalidFormat},
        {"rate 2^32", form("AIFF", {common(1, 1, 16, {0x401F, 0x8000000000000000}), sound(s16({1}))}),
         ErrorCode::InvalidFormat},
        {"negative rate", form("AIFF", {common(1, 1, 16, {0xC00E, 0xAC44000000000000}), sound(s16({1}))}),
         ErrorCode::InvalidFormat},
    });
}

TEST(AiffReader, ZeroFramesNeedNoSamplesToRead) {
    // With no frames nothing behind the SSND offset field is read: not the
    // block size, not the bytes the offset skips.
    Bytes farOffset;
    putU32(farOffset, 1000);
    putU32(farOffset, 0);
    struct Case {
        const char* what;
        Bytes file;
    };
    const Case cases[] = {
        {"no SSND", form("AIFF", {common(2, 0, 16)})},
        {"SSND of the offset field alone", form("AIFF", {common(2, 0, 16), chunk("SSND", {0, 0, 0, 0})})},
        {"SSND offset beyond the file", form("AIFF", {common(2, 0, 16), chunk("SSND", farOffset)})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (uint8_t mixToMono : {0, 1}) {
            Parsed parsed(c.file, mixToMono);
            EXPECT_EQ(parsed.code, ErrorCode::Ok);
            EXPECT_EQ(parsed.decoded.samples.count, 0u);
            EXPECT_EQ(parsed.decoded.peak, 0.0f);
            EXPECT_EQ(parsed.decoded.sampleRate, 44100u);
        }
    }
    // The offset field itself must be there.
    expectCodes({{"SSND cut in its offset field", form("AIFF", {common(2, 0, 16), chunk("SSND", {0, 0})}),
                  ErrorCode::BufferTooSmall}});
}

// --- Instrument and markers ---

namespace {

struct Marker {
    uint16_t id;
    uint32_t position;
    const char* name;
};

// MARK: the count, then id, position and name (count byte and text) of each
// marker, padded so that every marker starts at an even offset.
Bytes markers(const std::vector<Marker>& list, uint16_t count) {
    Bytes body;
    putU16(body, count);
    for (const Marker& m : list) {
        putU16(body, m.id);
        putU32(body, m.position);
        body.push_back(static_cast<uint8_t>(strlen(m.name)));
        put(body, m.name);
        if (body.size() % 2) body.push_back(0);
    }
    return chunk("MARK", body);
}

Bytes markers(const std::vector<Marker>& list) { return markers(list, static_cast<uint16_t>(list.size())); }

struct Loop {
    int16_t playMode;
    uint16_t begin, end;
};

// INST: base note, detune, low and high note, low and high velocity, gain,
// then the sustain and release loops (play mode, begin and end marker ids).
Bytes instrument(uint8_t base, uint8_t detune, uint8_t low, uint8_t high, Loop sustain, Loop release) {
    Bytes body = {base, detune, low, high, 1, 127};
    putU16(body, 0);
    for (const Loop& loop : {sustain, release}) {
        putU16(body, static_cast<uint16_t>(loop.playMode));
        putU16(body, loop.begin);
        putU16(body, loop.end);
    }
    return chunk("INST", body);
}

// Names of every length parity, so each lookup crosses padded and unpadded markers.
const std::vector<Marker> kMarkers = {{1, 100, "a"}, {2, 200, "bc"}, {3, 300, "def"}, {4, 400, ""}, {5, 500, "Loop end"}};

Bytes withInstrument(const Bytes& mark, const Bytes& inst) {
    return form("AIFF", {common(1, 2, 16), mark, inst, sound(s16({1, 2}))});
}

void expectLoop(const AiffLoop& loop, uint32_t playMode, uint32_t start, uint32_t end) {
    EXPECT_EQ(loop.playMode, playMode);
    EXPECT_EQ(loop.start, start);
    EXPECT_EQ(loop.end, end);
}

}  // namespace

TEST(AiffInstrument, ResolvesLoopsToTheirMarkerPositions) {
    Parsed parsed(withInstrument(markers(kMarkers), instrument(60, 0xF6, 48, 72, {1, 2, 5}, {2, 4, 3})));
    EXPECT_EQ(parsed.code, ErrorCode::Ok);
    EXPECT_EQ(parsed.decoded.hasInstrument, 1);
    expectLoop(parsed.decoded.sustainLoop, 1, 200, 500);
    expectLoop(parsed.decoded.releaseLoop, 2, 400, 300);
    EXPECT_EQ(parsed.decoded.detune, 0xF6);
    EXPECT_EQ(parsed.samples().size(), 2u);
}

TEST(AiffInstrument, LeavesLoopsThatCannotBeResolvedAllZero) {
    struct Case {
        const char* what;
        Loop loop;
        uint16_t markerCount;
    };
    const Case cases[] = {
        {"begin marker missing", {1, 9, 3}, 5},
        {"end marker missing", {1, 1, 9}, 5},
        {"play mode 0", {0, 1, 3}, 5},
        {"begin id 0", {1, 0, 3}, 5},
        {"end id 0", {1, 1, 0}, 5},
        {"end marker beyond the marker count", {1, 1, 5}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Parsed parsed(withInstrument(markers(kMarkers, c.markerCount), instrument(60, 0, 0, 72, c.loop, c.loop)));
        EXPECT_EQ(parsed.code, ErrorCode::Ok);
        EXPECT_EQ(parsed.decoded.hasInstrument, 1);
        expectLoop(parsed.decoded.sustainLoop, 0, 0, 0);
        expectLoop(parsed.decoded.releaseLoop, 0, 0, 0);
    }
}

TEST(AiffInstrument, DerivesTheNoteRange) {
    struct Case {
        uint8_t base, low, high;
        uint8_t rootNote, highNote;
    };
    const Case cases[] = {
        {60, 48, 72, 60, 72},
        {0, 48, 72, 48, 72},   // no base note: the low note
        {0, 0, 72, 0, 72},
        {60, 48, 50, 60, 71},  // high note below the root: an octave less one above it
        {60, 48, 60, 60, 60},
        {250, 0, 10, 250, 5},  // 250 + 11 in 8 bits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.base) << " " << int(c.low) << " " << int(c.high));
        Parsed parsed(withInstrument(markers(kMarkers), instrument(c.base, 0, c.low, c.high, {}, {})));
        EXPECT_EQ(parsed.code, ErrorCode::Ok);
        EXPECT_EQ(parsed.decoded.rootNote, c.rootNote);
        EXPECT_EQ(parsed.decoded.highNote, c.highNote);
    }
}

TEST(AiffInstrument, NeedsBothChunksAndNeverFailsTheFile) {
    Bytes inst = instrument(60, 3, 48, 72, {1, 1, 3}, {});
    Bytes cutInstrument = form("AIFF", {common(1, 2, 16), sound(s16({1, 2})), markers(kMarkers), inst});
    cutInstrument.resize(cutInstrument.size() - 10);  // ends inside the sustain loop
    cutInstrument[7] -= 10;
    struct Case {
        const char* what;
        Bytes file;
    };
    const Case cases[] = {
        {"INST without MARK", form("AIFF", {common(1, 2, 16), inst, sound(s16({1, 2}))})},
        {"MARK without INST", form("AIFF", {common(1, 2, 16), markers(kMarkers), sound(s16({1, 2}))})},
        {"INST cut short", cutInstrument},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Parsed parsed(c.file);
        EXPECT_EQ(parsed.code, ErrorCode::Ok);
        EXPECT_EQ(parsed.decoded.hasInstrument, 0);
        expectLoop(parsed.decoded.sustainLoop, 0, 0, 0);
        EXPECT_EQ(parsed.samples().size(), 2u);
    }
}

// --- Loading ---

TEST(AiffReader, ReportsLoadingFailures) {
    checkLoadingFailures(readAiff, mono16({1, 2, 3}), "three.aif");
}
