#pragma once
#include <cstdint>

// How one stored sample becomes a float.
enum class SampleEncoding : uint8_t {
    None = 0,
    U8 = 1,
    S8 = 2,
    S16LE = 3,
    S16BE = 4,
    S24LE = 5,
    S24BE = 6,
    S32LE = 7,
    S32BE = 8,
    F32LE = 9,
    F32BE = 10,
    F64LE = 11,
    F64BE = 12,
    ALaw = 13,
    MuLaw = 14,
};

// Bytes one stored sample takes; 0 for None and unknown values.
constexpr uint32_t encodingBytes(SampleEncoding encoding) {
    switch (encoding) {
    case SampleEncoding::U8: case SampleEncoding::S8: case SampleEncoding::ALaw: case SampleEncoding::MuLaw: return 1;
    case SampleEncoding::S16LE: case SampleEncoding::S16BE: return 2;
    case SampleEncoding::S24LE: case SampleEncoding::S24BE: return 3;
    case SampleEncoding::S32LE: case SampleEncoding::S32BE: case SampleEncoding::F32LE: case SampleEncoding::F32BE:
        return 4;
    case SampleEncoding::F64LE: case SampleEncoding::F64BE: return 8;
    default: return 0;
    }
}

// Decodes `outputs` frames of `channelsPerOutput` interleaved samples stored
// at `in` (all of them present), averaging each frame into one float, and
// returns the signed peak of what was stored (the first of equal magnitudes).
float decodeBlock(const uint8_t* in, SampleEncoding encoding, uint32_t channelsPerOutput, float* out,
                  uint32_t outputs);
