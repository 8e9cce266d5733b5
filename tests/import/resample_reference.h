#pragma once
#include <cmath>
#include <cstdint>
#include <vector>

// The resampler written plainly from its description: taps in double stored
// as float, then for every output the sequential float sum over its terms.
// The fast resampler is checked against this.
inline std::vector<float> referenceTaps(uint32_t up, uint32_t down, uint32_t sourceRate, uint32_t& half) {
    uint32_t larger = up > down ? up : down;
    uint32_t product = larger * sourceRate;
    half = static_cast<uint32_t>(static_cast<double>(static_cast<float>(product)) * 0.0005000000237487257);
    std::vector<float> h(2 * half + 1);
    const double pi = 3.14159265358979323846;
    double w = 2 * pi / (2.0 * half), fc = 0.5 / larger;
    h[half] = static_cast<float>(fc * 2 * up);
    for (uint32_t i = 1; i <= half; ++i) {
        double k = half - i;
        double window = 0.42 - 0.5 * std::cos(w * k) + 0.08 * std::cos(2 * w * k);
        double tap = std::sin(i * 2 * pi * fc) * up / (i * pi) * window;
        h[half + i] = h[half - i] = static_cast<float>(tap);
    }
    return h;
}

inline std::vector<float> referenceResample(const std::vector<float>& x, uint32_t sourceRate, uint32_t outputs,
                                            uint32_t destinationRate) {
    uint32_t a = destinationRate, b = sourceRate;
    while (b) {
        uint32_t t = a % b;
        a = b;
        b = t;
    }
    uint32_t up = destinationRate / a, down = sourceRate / a, half;
    std::vector<float> h = referenceTaps(up, down, sourceRate, half);
    uint32_t terms = (2 * half + 1) / up;
    std::vector<float> y(outputs);
    for (uint32_t j = 0; j < outputs; ++j) {
        int64_t p = int64_t(j) * down - half;
        int64_t q = p / int64_t(up);
        int64_t r = p - q * int64_t(up);
        float acc = 0.0f;
        for (uint32_t k = 0; k < terms; ++k) {
            int64_t t = int64_t(k) * up - r;
            if (t >= 1 && q + k >= 0 && q + k < int64_t(x.size())) acc = acc + h[t] * x[q + k];
        }
        y[j] = acc;
    }
    return y;
}
