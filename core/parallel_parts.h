#pragma once
#include <cstdint>
#include <type_traits>

#include "core/helper_thread.h"

// Long loops over samples are split into contiguous parts, one per core, so
// an import or a preview uses the whole machine. The calling thread works on
// the first part itself and returns when every part is done.

constexpr uint32_t kMaxParts = 8;

// How many parts `count` items are split into, each at least `minimumPerPart` long.
uint32_t partCount(uint64_t count, uint64_t minimumPerPart);

using PartWork = void (*)(void* context, uint64_t begin, uint64_t end, uint32_t part);

// Runs work(context, begin, end, part) for every part of [0, count). The
// other parts go to helper threads that stay for the next call: an import
// splits every block of its file, and starting threads for each one costs
// more than some blocks take. A part whose thread cannot start is done by
// the calling thread: slower, but the work and the program go on.
void runParts(uint64_t count, uint32_t parts, PartWork work, void* context);

// How the helper threads are started; tests put in one that fails.
extern bool (*startPartThread)(HelperThreadEntry entry, void* argument);

// Runs work(begin, end, part) for every part of [0, count).
template <typename Work>
void forEachPart(uint64_t count, uint32_t parts, Work&& work) {
    if (parts <= 1) {
        work(uint64_t(0), count, 0u);
        return;
    }
    using Callable = std::remove_reference_t<Work>;
    runParts(count, parts, [](void* context, uint64_t begin, uint64_t end, uint32_t part) {
        (*static_cast<Callable*>(context))(begin, end, part);
    }, const_cast<void*>(static_cast<const void*>(&work)));
}
