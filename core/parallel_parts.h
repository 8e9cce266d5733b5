#pragma once
#include <cstdint>
#include <thread>

// Long loops over samples are split into contiguous parts, one per core, so
// an import or a preview uses the whole machine. The calling thread works on
// the first part itself; every helper thread is joined before returning.

constexpr uint32_t kMaxParts = 8;

// How many parts `count` items are split into, each at least `minimumPerPart` long.
inline uint32_t partCount(uint64_t count, uint64_t minimumPerPart) {
    // Asked once: the answer comes from a file that every block would read again.
    static const uint32_t cores = [] {
        uint32_t found = std::thread::hardware_concurrency();
        return found == 0 ? 1u : (found > kMaxParts ? kMaxParts : found);
    }();
    uint64_t byLength = minimumPerPart ? count / minimumPerPart : count;
    if (byLength < 1) byLength = 1;
    return byLength < cores ? static_cast<uint32_t>(byLength) : cores;
}

// Runs work(begin, end, part) for every part of [0, count).
template <typename Work>
void forEachPart(uint64_t count, uint32_t parts, Work&& work) {
    if (parts <= 1) {
        work(uint64_t(0), count, 0u);
        return;
    }
    std::thread helpers[kMaxParts];
    for (uint32_t part = 1; part < parts; ++part)
        helpers[part] = std::thread(work, count * part / parts, count * (part + 1) / parts, part);
    work(uint64_t(0), count / parts, 0u);
    for (uint32_t part = 1; part < parts; ++part) helpers[part].join();
}
