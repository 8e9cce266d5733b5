#include "import/sample_encoding.h"

#include "import/sample_processing.h"

#include <cmath>
#include <cstring>

// G.711 A-law on its 13-bit scale: the largest magnitude is 4032.
static float decodeALaw(uint8_t b) {
    uint32_t x = (b ^ 0xD5u) & 0x7Fu;
    uint32_t segment = x >> 4, mantissa = x & 0x0Fu;
    uint32_t magnitude = segment == 0 ? 2 * mantissa + 1
                                      : (mantissa << segment) | (1u << (segment + 4)) | (1u << (segment - 1));
    float value = static_cast<float>(magnitude) / 4095.0f;
    return (b & 0x80) ? value : -value;
}

// G.711 µ-law on its 14-bit scale divided by 4: the largest magnitude is 8031.
static float decodeMuLaw(uint8_t b) {
    uint32_t x = ~b & 0x7Fu;
    uint32_t segment = x >> 4, mantissa = x & 0x0Fu;
    uint32_t magnitude = ((2 * mantissa + 33) << segment) - 33;
    float value = static_cast<float>(magnitude) / 8191.0f;
    return (b & 0x80) ? value : -value;
}

template <SampleEncoding E>
static inline float decodeAt(const uint8_t* b) {
    if constexpr (E == SampleEncoding::U8) {
        return static_cast<float>(b[0]) / 128.0f - 1.0f;
    } else if constexpr (E == SampleEncoding::S8) {
        return static_cast<float>(static_cast<int8_t>(b[0])) / 128.0f;
    } else if constexpr (E == SampleEncoding::S16LE) {
        uint16_t bits;
        memcpy(&bits, b, 2);  // both builds run on little-endian machines
        return static_cast<float>(static_cast<int16_t>(bits)) / 32768.0f;
    } else if constexpr (E == SampleEncoding::S16BE) {
        return static_cast<float>(static_cast<int16_t>((b[0] << 8) | b[1])) / 32768.0f;
    } else if constexpr (E == SampleEncoding::S24LE) {
        int32_t v = static_cast<int32_t>(uint32_t(b[0]) << 8 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 24) >> 8;
        return static_cast<float>(v) / 8388608.0f;
    } else if constexpr (E == SampleEncoding::S24BE) {
        int32_t v = static_cast<int32_t>(uint32_t(b[2]) << 8 | uint32_t(b[1]) << 16 | uint32_t(b[0]) << 24) >> 8;
        return static_cast<float>(v) / 8388608.0f;
    } else if constexpr (E == SampleEncoding::S32LE) {
        int32_t v = static_cast<int32_t>(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 |
                                         uint32_t(b[3]) << 24);
        return static_cast<float>(static_cast<double>(v) / 2147483648.0);
    } else if constexpr (E == SampleEncoding::S32BE) {
        int32_t v = static_cast<int32_t>(uint32_t(b[3]) | uint32_t(b[2]) << 8 | uint32_t(b[1]) << 16 |
                                         uint32_t(b[0]) << 24);
        return static_cast<float>(static_cast<double>(v) / 2147483648.0);
    } else if constexpr (E == SampleEncoding::F32LE || E == SampleEncoding::F32BE) {
        uint32_t bits = E == SampleEncoding::F32LE
                            ? (uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24)
                            : (uint32_t(b[3]) | uint32_t(b[2]) << 8 | uint32_t(b[1]) << 16 | uint32_t(b[0]) << 24);
        float value;
        memcpy(&value, &bits, 4);
        return value;
    } else if constexpr (E == SampleEncoding::F64LE || E == SampleEncoding::F64BE) {
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) bits |= uint64_t(b[E == SampleEncoding::F64LE ? i : 7 - i]) << (8 * i);
        double value;
        memcpy(&value, &bits, 8);
        return static_cast<float>(value);
    } else if constexpr (E == SampleEncoding::ALaw) {
        return decodeALaw(b[0]);
    } else if constexpr (E == SampleEncoding::MuLaw) {
        return decodeMuLaw(b[0]);
    } else {
        return 0.0f;
    }
}

// One tight loop per encoding and channel count, which the compiler can vectorise.
template <SampleEncoding E>
static void decodeRange(const uint8_t* in, uint32_t channels, float* out, uint32_t outputs) {
    constexpr uint32_t size = encodingBytes(E);
    // Each sum starts at +0.0, a single channel's too (so -0.0 reads as +0.0).
    if (channels == 1) {
        for (uint32_t frame = 0; frame < outputs; ++frame) out[frame] = 0.0f + decodeAt<E>(in + size_t(frame) * size);
    } else if (channels == 2) {
        for (uint32_t frame = 0; frame < outputs; ++frame) {
            const uint8_t* at = in + size_t(frame) * 2 * size;
            out[frame] = (0.0f + decodeAt<E>(at) + decodeAt<E>(at + size)) / 2.0f;
        }
    } else {
        const float divisor = static_cast<float>(channels);
        for (uint32_t frame = 0; frame < outputs; ++frame) {
            float sum = 0.0f;
            for (uint32_t c = 0; c < channels; ++c, in += size) sum += decodeAt<E>(in);
            out[frame] = sum / divisor;
        }
    }
}

// In blocks small enough that the peak search reads them back from the nearest cache.
template <SampleEncoding E>
static float decodeInside(const uint8_t* in, uint32_t channels, float* out, uint32_t outputs) {
    const size_t frameBytes = size_t(encodingBytes(E)) * channels;
    constexpr uint32_t kBlock = 4096;
    float largest = 0.0f;
    for (uint32_t block = 0; block < outputs; block += kBlock) {
        uint32_t count = outputs - block < kBlock ? outputs - block : kBlock;
        decodeRange<E>(in + size_t(block) * frameBytes, channels, out + block, count);
        float blockLargest = largestMagnitude(out + block, count);
        if (blockLargest > largest) largest = blockLargest;
    }
    return peakFromParts(out, outputs, &largest, 1);
}

float decodeBlock(const uint8_t* in, SampleEncoding encoding, uint32_t channelsPerOutput, float* out,
                  uint32_t outputs) {
    if (channelsPerOutput == 0 || outputs == 0) return 0.0f;
    switch (encoding) {
    case SampleEncoding::U8: return decodeInside<SampleEncoding::U8>(in, channelsPerOutput, out, outputs);
    case SampleEncoding::S8: return decodeInside<SampleEncoding::S8>(in, channelsPerOutput, out, outputs);
    case SampleEncoding::S16LE: return decodeInside<SampleEncoding::S16LE>(in, channelsPerOutput, out, outputs);
    case SampleEncoding::S16BE: return decodeInside<SampleEncoding::S16BE>(in, channelsPerOutput, out, outputs);
    case SampleEncoding::S24LE: return decodeInside<SampleEncoding::S24LE>(in, channelsPerOutput, out, outputs);
    case SampleEncoding::S24BE: return decodeInside<SampleEncoding::S24BE>(in, channelsPerOutput, out, outputs);
    case SampleEncoding::S32LE: return decodeInside<SampleEncoding::S32LE>(in, channelsPerOutput, out, outputs);
    case SampleEncoding::S32BE: return decodeInside<SampleEncoding::S32BE>(in, channelsPerOutput, out, outputs);
    case SampleEncoding::F32LE: return decodeInside<SampleEncoding::F32LE>(in, channelsPerOutput, out, outputs);
    case SampleEncoding::F32BE: return decodeInside<SampleEncoding::F32BE>(in, channelsPerOutput, out, outputs);
    case SampleEncoding::F64LE: return decodeInside<SampleEncoding::F64LE>(in, channelsPerOutput, out, outputs);
    case SampleEncoding::F64BE: return decodeInside<SampleEncoding::F64BE>(in, channelsPerOutput, out, outputs);
    case SampleEncoding::ALaw: return decodeInside<SampleEncoding::ALaw>(in, channelsPerOutput, out, outputs);
    case SampleEncoding::MuLaw: return decodeInside<SampleEncoding::MuLaw>(in, channelsPerOutput, out, outputs);
    default: return 0.0f;
    }
}
