#pragma once
// WAV and AIFF/AIFC files written out byte by byte, and the checks against
// import/fixtures, each FILE beside FILE.f32: sox's (or make_aifc.py's) samples.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "import/decoded_sample.h"
#include "test_files.h"

namespace sample_files {

using Bytes = std::vector<uint8_t>;

inline void put(Bytes& out, const char* text) { out.insert(out.end(), text, text + strlen(text)); }
inline void append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

template <bool BigEndian>
void putNumber(Bytes& out, uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(v >> 8 * (BigEndian ? bytes - 1 - i : i)));
}

// Both formats pad an odd chunk body with one zero byte, not counted in its
// size; some writers leave it out.
enum class Pad { IfOdd, None };

template <bool BigEndian>
Bytes chunkOf(const char* id, const Bytes& body, Pad pad) {
    Bytes out;
    put(out, id);
    putNumber<BigEndian>(out, body.size(), 4);
    append(out, body);
    if (pad == Pad::IfOdd && body.size() % 2) out.push_back(0);
    return out;
}

// The form is a chunk holding the form type and the chunks.
template <bool BigEndian>
Bytes formOf(const char* id, const char* type, const std::vector<Bytes>& chunks) {
    Bytes body;
    put(body, type);
    for (const Bytes& c : chunks) append(body, c);
    return chunkOf<BigEndian>(id, body, Pad::None);
}

template <bool BigEndian>
Bytes s16Of(const std::vector<int16_t>& values) {
    Bytes out;
    for (int16_t v : values) putNumber<BigEndian>(out, uint16_t(v), 2);
    return out;
}

// The file without its last `count` bytes, its form size reduced to match.
template <bool BigEndian>
Bytes cutOf(Bytes file, uint32_t count) {
    file.resize(file.size() - count);
    Bytes size;
    putNumber<BigEndian>(size, file.size() - 8, 4);
    std::copy(size.begin(), size.end(), file.begin() + 4);
    return file;
}

// The file with the bytes from `at` on replaced; a negative `at` counts from the end.
inline Bytes patched(Bytes file, long at, const Bytes& with) {
    std::copy(with.begin(), with.end(), file.begin() + (at < 0 ? long(file.size()) + at : at));
    return file;
}
inline Bytes patched(const Bytes& file, long at, const char* text) {
    return patched(file, at, Bytes(text, text + strlen(text)));
}

// Writes the bytes into the folder and gives the file's path.
inline std::string written(const ScratchFolder& folder, const std::string& name, const Bytes& bytes) {
    std::string path = folder.file(name);
    writeFileBytes(path, bytes);
    return path;
}

namespace wav {

inline void putU16(Bytes& out, uint32_t v) { putNumber<false>(out, v, 2); }
inline void putU32(Bytes& out, uint32_t v) { putNumber<false>(out, v, 4); }
inline Bytes chunk(const char* id, const Bytes& body, Pad pad = Pad::IfOdd) { return chunkOf<false>(id, body, pad); }
inline Bytes riff(const std::vector<Bytes>& chunks) { return formOf<false>("RIFF", "WAVE", chunks); }
inline Bytes s16(const std::vector<int16_t>& values) { return s16Of<false>(values); }
inline Bytes cut(const Bytes& file, uint32_t count) { return cutOf<false>(file, count); }

// The 16-byte WAVEFORMAT body: tag, channels, rate, byte rate, block align, bits.
inline Bytes format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    Bytes out;
    uint32_t block = channels * ((bits + 7u) / 8);
    for (uint32_t v : {uint32_t(tag), uint32_t(channels)}) putU16(out, v);
    for (uint32_t v : {rate, rate * block}) putU32(out, v);
    for (uint32_t v : {block, uint32_t(bits)}) putU16(out, v);
    return out;
}

// A format chunk, then a data chunk.
inline Bytes withData(const Bytes& fmt, const Bytes& data) {
    return riff({chunk("fmt ", fmt), chunk("data", data)});
}

inline Bytes f32(const std::vector<float>& values) {
    Bytes out(4 * values.size());
    if (!out.empty()) memcpy(out.data(), values.data(), out.size());  // both builds run on little-endian machines
    return out;
}

// A 16-bit mono file at 22050 Hz holding these samples.
inline Bytes mono16(const std::vector<int16_t>& values) { return withData(format(1, 1, 22050, 16), s16(values)); }

}  // namespace wav

namespace aiff {

inline void putU16(Bytes& out, uint32_t v) { putNumber<true>(out, v, 2); }
inline void putU32(Bytes& out, uint32_t v) { putNumber<true>(out, v, 4); }
inline Bytes chunk(const char* id, const Bytes& body, Pad pad = Pad::IfOdd) { return chunkOf<true>(id, body, pad); }
inline Bytes form(const char* type, const std::vector<Bytes>& chunks) { return formOf<true>("FORM", type, chunks); }
inline Bytes s16(const std::vector<int16_t>& values) { return s16Of<true>(values); }
inline Bytes cut(const Bytes& file, uint32_t count) { return cutOf<true>(file, count); }

constexpr uint32_t kVersion1 = 0xA2805140;

inline Bytes version(uint32_t stamp = kVersion1) {
    Bytes body;
    putU32(body, stamp);
    return chunk("FVER", body);
}

// An 80-bit extended number: sign and exponent word, then 64 mantissa bits.
struct Extended {
    uint16_t exponentWord;
    uint64_t mantissa;
};
constexpr Extended k44100 = {0x400E, 0xAC44000000000000};

// COMM: channels, frames, bits, rate; an AIFC one adds the compression type
// and its name (here empty: a count byte of 0 and a pad byte).
inline Bytes common(uint16_t channels, uint32_t frames, uint16_t bits, Extended rate = k44100,
                    const char* compression = nullptr) {
    Bytes body;
    putU16(body, channels);
    putU32(body, frames);
    putU16(body, bits);
    putU16(body, rate.exponentWord);
    putNumber<true>(body, rate.mantissa, 8);
    if (compression) {
        put(body, compression);
        body.insert(body.end(), {0, 0});
    }
    return chunk("COMM", body);
}

// SSND: offset and block size, `offset` bytes to skip, then the samples.
inline Bytes sound(const Bytes& samples, uint32_t offset = 0, Pad pad = Pad::IfOdd) {
    Bytes body;
    putU32(body, offset);
    putU32(body, 0);
    body.insert(body.end(), offset, 0xEE);
    append(body, samples);
    return chunk("SSND", body, pad);
}

// A 16-bit mono AIFF holding these samples.
inline Bytes mono16(const std::vector<int16_t>& values, Extended rate = k44100) {
    return form("AIFF", {common(1, uint32_t(values.size()), 16, rate), sound(s16(values))});
}

}  // namespace aiff

// --- Decoding ---

using Parse = ErrorCode (*)(DecodedSample&, const uint8_t*, uint32_t);
using Reader = ErrorCode (*)(DecodedSample&, Utf8View);

// A file decoded by one of the readers, from memory or from a path; released at the end.
struct Decoded {
    DecodedSample decoded = {};
    ErrorCode code;
    Decoded(Parse parse, const Bytes& bytes, uint8_t mixToMono = 0) {
        decoded.maxFileSize = kMaxSampleFileSize;
        decoded.mixToMono = mixToMono;
        code = parse(decoded, bytes.data(), uint32_t(bytes.size()));
    }
    Decoded(Reader read, const std::string& path, uint8_t mixToMono, uint32_t maxFileSize = kMaxSampleFileSize) {
        decoded.maxFileSize = maxFileSize;
        decoded.mixToMono = mixToMono;
        code = read(decoded, viewOf(path));
    }
    ~Decoded() { releaseDecodedSample(decoded); }
    std::vector<float> samples() const { return {decoded.samples.data, decoded.samples.data + decoded.samples.count}; }
};

using CodeCase = std::tuple<const char*, Bytes, ErrorCode>;  // what, file, code

// Every case gives its code whether the channels are mixed or not.
inline void expectCodes(Parse parse, const std::vector<CodeCase>& cases) {
    for (const auto& [what, file, code] : cases) {
        SCOPED_TRACE(what);
        EXPECT_EQ(Decoded(parse, file).code, code);
        EXPECT_EQ(Decoded(parse, file, 1).code, code);
    }
}

// --- The files in import/fixtures ---

// How closely a reader must match: exactly; within what sox's float output
// loses after its 32-bit integers (2^-24 + 2^-31); or, G.711 on sox's 16-bit
// scale against a reader dividing by 4095 and 8191, within one float rounding.
enum class Match { Exact, SoxFloatOutput, ALaw, MuLaw };

using Fixture = std::tuple<const char*, uint32_t, uint32_t, Match>;  // name, channels, rate, match

inline std::string fixturePath(const char* name) { return std::string(CORVANE_FIXTURES_DIR) + "/" + name; }

inline bool matches(float actual, float reference, Match match) {
    double expected = match == Match::ALaw    ? double(reference) * 4096.0 / 4095.0
                      : match == Match::MuLaw ? double(reference) * 8192.0 / 8191.0
                                              : reference;
    double error = std::fabs(actual - expected);
    switch (match) {
    case Match::Exact: return actual == reference;
    case Match::SoxFloatOutput: return error <= std::ldexp(1.0, -24) + std::ldexp(1.0, -31);
    default: return error <= std::fabs(expected) * std::ldexp(1.0, -24);
    }
}

// Reads the fixture interleaved and mixed to mono. Interleaved it must match
// the reference; each mixed sample is the float sum of its frame over the
// channel count; each peak is the first largest sample.
inline void checkFixture(Reader read, const Fixture& fixture) {
    const auto& [name, channels, sampleRate, match] = fixture;
    SCOPED_TRACE(name);
    Bytes bytes = readFileBytes(fixturePath(name) + ".f32");
    std::vector<float> reference(bytes.size() / 4);
    memcpy(reference.data(), bytes.data(), 4 * reference.size());
    ASSERT_FALSE(reference.empty()) << "no reference samples";
    Decoded interleaved(read, fixturePath(name), 0), mixed(read, fixturePath(name), 1);
    ASSERT_EQ(interleaved.code, ErrorCode::Ok);
    ASSERT_EQ(mixed.code, ErrorCode::Ok);
    std::vector<float> all = interleaved.samples(), mix = mixed.samples();
    ASSERT_EQ(all.size(), reference.size());
    size_t first = 0;
    while (first < all.size() && matches(all[first], reference[first], match)) ++first;
    EXPECT_EQ(first, all.size()) << "the first sample off is " << all[first] << ", the reference " << reference[first];
    std::vector<float> means(all.size() / channels);
    for (size_t frame = 0; frame < means.size(); ++frame) {
        float sum = 0.0f;
        for (uint32_t c = 0; c < channels; ++c) sum += all[frame * channels + c];
        means[frame] = sum / float(channels);
    }
    EXPECT_EQ(mix, means);
    auto smaller = [](float a, float b) { return std::fabs(a) < std::fabs(b); };  // the first largest wins
    EXPECT_EQ(interleaved.decoded.peak, *std::max_element(all.begin(), all.end(), smaller));
    EXPECT_EQ(mixed.decoded.peak, *std::max_element(mix.begin(), mix.end(), smaller));
    EXPECT_EQ(interleaved.decoded.sampleRate, sampleRate);
    EXPECT_EQ(interleaved.decoded.channels, channels);
    EXPECT_EQ(mixed.decoded.channels, 1u);
}

}  // namespace sample_files
