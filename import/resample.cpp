#include "import/resample.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/parallel_parts.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <immintrin.h>
#define CORVANE_X86 1
#endif

namespace {

uint32_t greatestCommonDivisor(uint32_t a, uint32_t b) {
    while (b != 0) {
        uint32_t rest = a % b;
        a = b;
        b = rest;
    }
    return a;
}

using Filter = ResampleFilter;

void releaseFilter(Filter& filter) {
    free(filter.taps);
    free(filter.phaseStorage);
    filter.taps = filter.phases = nullptr;
    filter.phaseStorage = nullptr;
}

// Taps in double, stored as float: centre L / F, then the windowed sinc
// falling to zero at both ends.
void designTaps(Filter& f, uint32_t begin, uint32_t end) {
    const uint32_t N = f.halfLength;
    const double pi = 3.14159265358979323846;
    const double w = 2.0 * pi / (2.0 * N);
    const double fc = 0.5 / (f.up > f.down ? f.up : f.down);
    for (uint32_t i = begin; i < end; ++i) {
        double k = static_cast<double>(N - i);
        double window = 0.42 - 0.5 * std::cos(w * k) + 0.08 * std::cos(2.0 * w * k);
        double tap = std::sin(i * 2.0 * pi * fc) * f.up / (i * pi) * window;
        f.taps[N + i] = f.taps[N - i] = static_cast<float>(tap);
    }
}

void buildPhases(Filter& f, uint32_t firstPhase, uint32_t endPhase) {
    const uint32_t last = 2 * f.halfLength;
    for (uint32_t r = firstPhase; r < endPhase; ++r) {
        float* row = f.phases + size_t(r) * f.stride;
        for (uint32_t k = 0; k < f.stride; ++k) {
            int64_t t = int64_t(k) * f.up - r;
            row[k] = (k < f.terms && t >= 1 && t <= last) ? f.taps[t] : 0.0f;
        }
    }
}

// One output the plain way, for the outputs whose window reaches past either
// end of the source (and for the first ones, whose phase is negative).
// x[i - origin] is source sample i.
float edgeOutput(const Filter& f, const float* x, uint64_t origin, uint32_t n, uint64_t j) {
    int64_t p = int64_t(j) * f.down - f.halfLength;
    int64_t q = p / int64_t(f.up);
    int64_t r = p - q * int64_t(f.up);
    float acc = 0.0f;
    for (uint32_t k = 0; k < f.terms; ++k) {
        int64_t t = int64_t(k) * f.up - r;
        int64_t at = q + k;
        if (t >= 1 && at >= 0 && at < int64_t(n)) acc = acc + f.taps[t] * x[at - int64_t(origin)];
    }
    return acc;
}

// The interior: outputs [begin, end) whose window lies inside the source.
// `q` and `r` belong to output `begin`. Each kernel computes every output the
// same way whichever outputs it is given together, so a conversion split
// into parts or blocks gives the same bits as one made whole.
using InteriorKernel = void (*)(const Filter& f, const float* x, float* y, uint64_t begin, uint64_t end, int64_t q,
                                uint32_t r);

// One output on in the source: f.down / f.up samples, kept as whole samples
// `q` and a phase `r` in 1/f.up of a sample.
struct PhaseStep {
    uint32_t whole, part, up;
};

inline PhaseStep phaseStep(const Filter& f) { return {f.down / f.up, f.down % f.up, f.up}; }

inline void stepPhase(const PhaseStep& step, int64_t& q, uint32_t& r) {
    q += step.whole;
    r += step.part;
    if (r >= step.up) {
        r -= step.up;
        ++q;
    }
}

#ifdef CORVANE_X86
void interiorSse(const Filter& f, const float* x, float* y, uint64_t begin, uint64_t end, int64_t q, uint32_t r) {
    const PhaseStep step = phaseStep(f);
    for (uint64_t j = begin; j < end; ++j) {
        const float* h = f.phases + size_t(r) * f.stride;
        const float* in = x + q;
        __m128 a0 = _mm_setzero_ps(), a1 = _mm_setzero_ps();
        for (uint32_t k = 0; k < f.stride; k += 8) {
            a0 = _mm_add_ps(a0, _mm_mul_ps(_mm_load_ps(h + k), _mm_loadu_ps(in + k)));
            a1 = _mm_add_ps(a1, _mm_mul_ps(_mm_load_ps(h + k + 4), _mm_loadu_ps(in + k + 4)));
        }
        __m128 sum = _mm_add_ps(a0, a1);
        sum = _mm_add_ps(sum, _mm_movehl_ps(sum, sum));
        sum = _mm_add_ss(sum, _mm_shuffle_ps(sum, sum, 1));
        y[j] = _mm_cvtss_f32(sum);
        stepPhase(step, q, r);
    }
}

// One output with the arithmetic of the four-at-a-time kernels below: eight
// lanes of fused multiply-adds, then the same pairwise reduction.
__attribute__((target("avx2,fma"))) void interiorAvx2Single(const Filter& f, const float* x, float* y,
                                                            uint64_t begin, uint64_t end, int64_t q, uint32_t r) {
    const PhaseStep step = phaseStep(f);
    for (uint64_t j = begin; j < end; ++j) {
        const float* h = f.phases + size_t(r) * f.stride;
        const float* in = x + q;
        __m256 a = _mm256_setzero_ps();
        for (uint32_t k = 0; k < f.stride; k += 8) a = _mm256_fmadd_ps(_mm256_load_ps(h + k), _mm256_loadu_ps(in + k), a);
        __m256 s = _mm256_hadd_ps(_mm256_hadd_ps(a, a), _mm256_hadd_ps(a, a));
        __m128 total = _mm_add_ps(_mm256_castps256_ps128(s), _mm256_extractf128_ps(s, 1));
        y[j] = _mm_cvtss_f32(total);
        stepPhase(step, q, r);
    }
}

// Four outputs at a time: their four accumulators are reduced together.
__attribute__((target("avx2,fma"))) void interiorAvx2(const Filter& f, const float* x, float* y, uint64_t begin,
                                                      uint64_t end, int64_t q, uint32_t r) {
    const PhaseStep step = phaseStep(f);
    const float* h[4];
    const float* in[4];
    uint64_t j = begin;
    for (; j + 4 <= end; j += 4) {
        for (int lane = 0; lane < 4; ++lane) {
            h[lane] = f.phases + size_t(r) * f.stride;
            in[lane] = x + q;
            stepPhase(step, q, r);
        }
        __m256 a0 = _mm256_setzero_ps(), a1 = _mm256_setzero_ps(), a2 = _mm256_setzero_ps(),
               a3 = _mm256_setzero_ps();
        for (uint32_t k = 0; k < f.stride; k += 8) {
            a0 = _mm256_fmadd_ps(_mm256_load_ps(h[0] + k), _mm256_loadu_ps(in[0] + k), a0);
            a1 = _mm256_fmadd_ps(_mm256_load_ps(h[1] + k), _mm256_loadu_ps(in[1] + k), a1);
            a2 = _mm256_fmadd_ps(_mm256_load_ps(h[2] + k), _mm256_loadu_ps(in[2] + k), a2);
            a3 = _mm256_fmadd_ps(_mm256_load_ps(h[3] + k), _mm256_loadu_ps(in[3] + k), a3);
        }
        __m256 s01 = _mm256_hadd_ps(a0, a1);  // a0 pairs, a1 pairs, per 128-bit half
        __m256 s23 = _mm256_hadd_ps(a2, a3);
        __m256 s = _mm256_hadd_ps(s01, s23);  // lane i of each half: partial sum of output i
        __m128 total = _mm_add_ps(_mm256_castps256_ps128(s), _mm256_extractf128_ps(s, 1));
        _mm_storeu_ps(y + j, total);
    }
    if (j < end) interiorAvx2Single(f, x, y, j, end, q, r);
}

// Outputs L apart share their phase, and so their row of taps: outputs j,
// j + L, j + 2L and j + 3L are computed together, each tap row loaded once for
// four outputs (their inputs lie M apart). The rows no longer all fit the
// nearest cache, so this halves what has to come from further away.
__attribute__((target("avx2,fma"))) void interiorAvx2Grouped(const Filter& f, const float* x, float* y,
                                                             uint64_t begin, uint64_t end, int64_t q, uint32_t r) {
    const PhaseStep step = phaseStep(f);
    const uint64_t L = f.up;
    const int64_t M = f.down;
    uint64_t j = begin;
    while (j + 4 * L <= end) {
        // One block: outputs [j, j + 4L), walked as L groups of four.
        int64_t blockQ = q;
        uint32_t blockR = r;
        for (uint64_t i = 0; i < L; ++i) {
            const float* h = f.phases + size_t(blockR) * f.stride;
            const float* in = x + blockQ;
            __m256 a0 = _mm256_setzero_ps(), a1 = _mm256_setzero_ps(), a2 = _mm256_setzero_ps(),
                   a3 = _mm256_setzero_ps();
            for (uint32_t k = 0; k < f.stride; k += 8) {
                __m256 taps = _mm256_load_ps(h + k);
                a0 = _mm256_fmadd_ps(taps, _mm256_loadu_ps(in + k), a0);
                a1 = _mm256_fmadd_ps(taps, _mm256_loadu_ps(in + M + k), a1);
                a2 = _mm256_fmadd_ps(taps, _mm256_loadu_ps(in + 2 * M + k), a2);
                a3 = _mm256_fmadd_ps(taps, _mm256_loadu_ps(in + 3 * M + k), a3);
            }
            __m256 s = _mm256_hadd_ps(_mm256_hadd_ps(a0, a1), _mm256_hadd_ps(a2, a3));
            __m128 total = _mm_add_ps(_mm256_castps256_ps128(s), _mm256_extractf128_ps(s, 1));
            float results[4];
            _mm_storeu_ps(results, total);
            y[j + i] = results[0];
            y[j + i + L] = results[1];
            y[j + i + 2 * L] = results[2];
            y[j + i + 3 * L] = results[3];
            stepPhase(step, blockQ, blockR);
        }
        // Four periods on: the phase is back where it was, the input 4M further.
        j += 4 * L;
        q += 4 * M;
    }
    if (j < end) interiorAvx2(f, x, y, j, end, q, r);
}

bool hasAvx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

InteriorKernel chooseKernel() { return hasAvx2() ? interiorAvx2Grouped : interiorSse; }
#else
void interiorPlain(const Filter& f, const float* x, float* y, uint64_t begin, uint64_t end, int64_t q, uint32_t r) {
    const PhaseStep step = phaseStep(f);
    for (uint64_t j = begin; j < end; ++j) {
        const float* h = f.phases + size_t(r) * f.stride;
        const float* in = x + q;
        float acc = 0.0f;
        for (uint32_t k = 0; k < f.terms; ++k) acc += h[k] * in[k];
        y[j] = acc;
        stepPhase(step, q, r);
    }
}

InteriorKernel chooseKernel() { return interiorPlain; }
#endif

// Outputs [begin, end): plain at the edges, the chosen kernel in between.
// x[i - origin] is source sample i for every sample these outputs use.
void convertRange(const Filter& f, const float* x, uint64_t origin, uint32_t n, float* y, uint64_t begin,
                  uint64_t end, InteriorKernel kernel) {
    uint64_t j = begin;
    // The first outputs whose phase is not negative.
    uint64_t firstInterior = (f.halfLength + uint64_t(f.down) - 1) / f.down;
    for (; j < end && j < firstInterior; ++j) y[j] = edgeOutput(f, x, origin, n, j);
    if (j >= end) return;
    int64_t p = int64_t(j) * f.down - f.halfLength;
    int64_t q = p / f.up;
    uint32_t r = static_cast<uint32_t>(p - q * int64_t(f.up));
    // The last output whose padded window still lies inside the source.
    uint64_t interiorEnd = j;
    if (int64_t(n) >= int64_t(f.stride)) {
        // q(j') = floor((j'M - N) / L) <= n - stride
        int64_t limit = (int64_t(n) - f.stride) * f.up + f.up - 1 + f.halfLength;
        uint64_t count = uint64_t(limit) / f.down + 1;
        interiorEnd = count < end ? count : end;
        if (interiorEnd < j) interiorEnd = j;
    }
    kernel(f, x, y, j, interiorEnd, q - int64_t(origin), r);
    for (j = interiorEnd; j < end; ++j) y[j] = edgeOutput(f, x, origin, n, j);
}

// Outputs [begin, end) shared out among the cores.
void convertOutputs(const Filter& f, const float* x, uint64_t origin, uint32_t n, float* y, uint64_t begin,
                    uint64_t end) {
    static const InteriorKernel kernel = chooseKernel();
    forEachPart(end - begin, partCount(end - begin, 32768), [&](uint64_t from, uint64_t to, uint32_t) {
        convertRange(f, x, origin, n, y, begin + from, begin + to, kernel);
    });
}

// Checks the rates, the buffers and the sizes, in that order, then designs
// the taps and their phases.
ErrorCode designFilter(Filter& f, uint32_t sourceCount, uint32_t sourceRate, uint32_t destinationCount,
                       uint32_t destinationRate, bool haveBuffers) {
    f = {};
    uint32_t g = greatestCommonDivisor(destinationRate, sourceRate);
    f.up = g ? destinationRate / g : 0;
    f.down = g ? sourceRate / g : 0;
    if (sourceRate == 0 || f.up == 0 || f.down == 0) return ErrorCode::InvalidArgument;
    if (!haveBuffers) return ErrorCode::NullPointer;
    if (uint64_t(sourceCount) * f.up / f.down > destinationCount) return ErrorCode::BufferTooSmall;

    uint32_t larger = f.up > f.down ? f.up : f.down;
    uint32_t product = larger * sourceRate;  // a 32-bit product, as designed
    f.halfLength = static_cast<uint32_t>(static_cast<double>(static_cast<float>(product)) * double(0.0005f));
    uint32_t tapCount = 2 * f.halfLength + 1;
    f.terms = tapCount / f.up;
    f.stride = (f.terms + 7) / 8 * 8;
    if (f.stride == 0) f.stride = 8;
    f.taps = static_cast<float*>(malloc(sizeof(float) * tapCount));
    // Rows of a multiple of eight floats on a 32-byte boundary: aligned vector loads.
    f.phaseStorage = malloc(sizeof(float) * size_t(f.up) * f.stride + 32);
    if (f.phaseStorage)
        f.phases = reinterpret_cast<float*>((reinterpret_cast<uintptr_t>(f.phaseStorage) + 31) & ~uintptr_t(31));
    if (!f.taps || !f.phases) {
        releaseFilter(f);
        return ErrorCode::OutOfMemory;
    }
    f.taps[f.halfLength] = static_cast<float>(2.0 * f.up * (0.5 / larger));
    // Tens of thousands of taps, each with a sine and two cosines: worth sharing out too.
    forEachPart(f.halfLength, partCount(f.halfLength, 4096),
                [&f](uint64_t begin, uint64_t end, uint32_t) { designTaps(f, uint32_t(begin) + 1, uint32_t(end) + 1); });
    buildPhases(f, 0, f.up);
    return ErrorCode::Ok;
}

}  // namespace

ErrorCode resample(const float* source, uint32_t sourceCount, uint32_t sourceRate, float* destination,
                   uint32_t destinationCount, uint32_t destinationRate) {
    Filter f;
    ErrorCode code = designFilter(f, sourceCount, sourceRate, destinationCount, destinationRate, source && destination);
    if (failed(code)) return code;
    convertOutputs(f, source, 0, sourceCount, destination, 0, destinationCount);
    releaseFilter(f);
    return ErrorCode::Ok;
}

ErrorCode startResampler(StreamResampler& resampler, uint32_t sourceCount, uint32_t sourceRate,
                         uint32_t destinationCount, uint32_t destinationRate, uint32_t blockCount) {
    resampler = {};
    ErrorCode code =
        designFilter(resampler.filter, sourceCount, sourceRate, destinationCount, destinationRate, true);
    if (failed(code)) return code;
    resampler.sourceCount = sourceCount;
    resampler.destinationCount = destinationCount;
    // Between blocks fewer than `stride` samples are kept (see resamplerTake).
    code = resizeBuffer(resampler.pending, resampler.filter.stride + (blockCount ? blockCount : 1));
    if (failed(code)) releaseResampler(resampler);
    return code;
}

// The first source sample output j uses: its q, never below 0.
static uint64_t firstSourceOf(const Filter& f, uint64_t j) {
    int64_t q = (int64_t(j) * f.down - f.halfLength) / int64_t(f.up);
    return q > 0 ? uint64_t(q) : 0;
}

float* resamplerSpace(StreamResampler& resampler, uint32_t& room) {
    // Drop the samples no output still to come uses.
    uint64_t keepFrom = resampler.produced < resampler.destinationCount
                            ? firstSourceOf(resampler.filter, resampler.produced)
                            : resampler.received;
    if (keepFrom > resampler.received) keepFrom = resampler.received;
    if (keepFrom > resampler.pendingStart) {
        uint32_t kept = uint32_t(resampler.received - keepFrom);
        float* data = resampler.pending.data;
        if (kept) memmove(data, data + (keepFrom - resampler.pendingStart), sizeof(float) * kept);
        resampler.pendingStart = keepFrom;
    }
    uint32_t held = uint32_t(resampler.received - resampler.pendingStart);
    room = resampler.pending.count - held;
    return resampler.pending.data + held;
}

uint32_t resamplerTake(StreamResampler& resampler, uint32_t count, float* destination) {
    const Filter& f = resampler.filter;
    resampler.received += count;
    uint64_t available = resampler.received;
    // Output j is complete once the samples [q, q + stride) of its window are
    // in: q(j) = floor((jM - N) / L) <= available - stride. (Outputs of
    // negative phase round q toward zero and use samples from 0 on; with
    // available >= stride they are complete too.) At the end of the source
    // every output is.
    uint64_t end = resampler.destinationCount;
    if (available < resampler.sourceCount) {
        end = 0;
        if (available >= f.stride) {
            uint64_t limit = (available - f.stride + 1) * f.up + f.halfLength;  // jM < limit
            end = (limit + f.down - 1) / f.down;
            if (end > resampler.destinationCount) end = resampler.destinationCount;
        }
    }
    if (end > resampler.produced) {
        convertOutputs(f, resampler.pending.data, resampler.pendingStart, resampler.sourceCount, destination,
                       resampler.produced, end);
        resampler.produced = end;
    }
    return uint32_t(resampler.produced);
}

void releaseResampler(StreamResampler& resampler) {
    releaseFilter(resampler.filter);
    releaseBuffer(resampler.pending);
}
