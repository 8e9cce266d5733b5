#pragma once
// Sample files written out byte by byte from the RIFF/WAVE tables
// (little-endian) and the AIFF/AIFC tables (big-endian), for the tests of the
// readers and of the import.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace sample_files {

using Bytes = std::vector<uint8_t>;

inline void put(Bytes& out, const char* text) { out.insert(out.end(), text, text + strlen(text)); }
inline void append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// Both formats pad an odd chunk body with one zero byte, not counted in its
// size; some writers leave it out.
enum class Pad { IfOdd, None };

template <void (*PutU32)(Bytes&, uint32_t)>
Bytes chunkOf(const char* id, const Bytes& body, Pad pad) {
    Bytes out;
    put(out, id);
    PutU32(out, static_cast<uint32_t>(body.size()));
    append(out, body);
    if (pad == Pad::IfOdd && body.size() % 2) out.push_back(0);
    return out;
}

// The form: its id, the size of what follows, the form type and the chunks.
template <void (*PutU32)(Bytes&, uint32_t)>
Bytes formOf(const char* id, const char* type, const std::vector<Bytes>& chunks) {
    Bytes body;
    put(body, type);
    for (const Bytes& c : chunks) append(body, c);
    Bytes out;
    put(out, id);
    PutU32(out, static_cast<uint32_t>(body.size()));
    append(out, body);
    return out;
}

namespace wav {

inline void putU16(Bytes& out, uint32_t v) { out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)}); }
inline void putU32(Bytes& out, uint32_t v) {
    out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

inline Bytes chunk(const char* id, const Bytes& body, Pad pad = Pad::IfOdd) { return chunkOf<putU32>(id, body, pad); }
inline Bytes riff(const std::vector<Bytes>& chunks) { return formOf<putU32>("RIFF", "WAVE", chunks); }

// The 16-byte WAVEFORMAT body: tag, channels, rate, byte rate, block align, bits.
inline Bytes format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    Bytes out;
    uint32_t block = channels * ((bits + 7u) / 8);
    putU16(out, tag);
    putU16(out, channels);
    putU32(out, rate);
    putU32(out, rate * block);
    putU16(out, block);
    putU16(out, bits);
    return out;
}

inline Bytes s16(const std::vector<int16_t>& values) {
    Bytes out;
    for (int16_t v : values) putU16(out, static_cast<uint16_t>(v));
    return out;
}

inline Bytes f32(const std::vector<float>& values) {
    Bytes out;
    for (float v : values) {
        uint32_t bits;
        memcpy(&bits, &v, 4);
        putU32(out, bits);
    }
    return out;
}

// A 16-bit mono file at 22050 Hz holding these samples.
inline Bytes mono16(const std::vector<int16_t>& values) {
    return riff({chunk("fmt ", format(1, 1, 22050, 16)), chunk("data", s16(values))});
}

}  // namespace wav

namespace aiff {

inline void putU16(Bytes& out, uint32_t v) { out.insert(out.end(), {uint8_t(v >> 8), uint8_t(v)}); }
inline void putU32(Bytes& out, uint32_t v) {
    out.insert(out.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
}

inline Bytes chunk(const char* id, const Bytes& body, Pad pad = Pad::IfOdd) { return chunkOf<putU32>(id, body, pad); }
inline Bytes form(const char* type, const std::vector<Bytes>& chunks) { return formOf<putU32>("FORM", type, chunks); }

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

// A whole rate as an extended number: the leading 1 moved to bit 63.
inline Extended extendedOf(uint32_t rate) {
    int shift = 0;
    while (!((uint64_t(rate) << shift) & 0x80000000u)) ++shift;
    return {uint16_t(16383 + 31 - shift), uint64_t(rate) << (32 + shift)};
}

// COMM: channels, frames, bits, rate; an AIFC one adds the compression type
// and its name (here empty: a count byte of 0 and a pad byte).
inline Bytes common(uint16_t channels, uint32_t frames, uint16_t bits, Extended rate = k44100,
                    const char* compression = nullptr) {
    Bytes body;
    putU16(body, channels);
    putU32(body, frames);
    putU16(body, bits);
    putU16(body, rate.exponentWord);
    putU32(body, uint32_t(rate.mantissa >> 32));
    putU32(body, uint32_t(rate.mantissa));
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

inline Bytes s16(const std::vector<int16_t>& values) {
    Bytes out;
    for (int16_t v : values) putU16(out, static_cast<uint16_t>(v));
    return out;
}

// A 16-bit mono AIFF at 44100 Hz holding these samples.
inline Bytes mono16(const std::vector<int16_t>& values) {
    return form("AIFF", {common(1, static_cast<uint32_t>(values.size()), 16), sound(s16(values))});
}

}  // namespace aiff

}  // namespace sample_files
