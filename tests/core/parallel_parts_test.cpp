#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/parallel_parts.h"

namespace {

// Counts how often each item and each part was visited. Plain counters, as
// the real loops write plain results: the caller must see every part's
// writes once forEachPart returns.
struct Visits {
    uint32_t items[1000];
    uint32_t parts[kMaxParts];
};

void visitAll(Visits& visits, uint64_t count, uint32_t parts) {
    forEachPart(count, parts, [&](uint64_t begin, uint64_t end, uint32_t part) {
        visits.parts[part]++;
        for (uint64_t i = begin; i < end; ++i) visits.items[i]++;
    });
}

void expectEachOnce(const Visits& visits, uint64_t count, uint32_t parts) {
    for (uint64_t i = 0; i < 1000; ++i) ASSERT_EQ(visits.items[i], i < count ? 1u : 0u) << i;
    for (uint32_t p = 0; p < kMaxParts; ++p) ASSERT_EQ(visits.parts[p], p < parts ? 1u : 0u) << p;
}

// Starts the first `allowed` threads asked for, then refuses, as a system
// out of threads or address space does.
uint32_t allowed = 0;
bool startSomeThreads(HelperThreadEntry entry, void* argument) {
    if (allowed == 0) return false;
    --allowed;
    return startHelperThread(entry, argument);
}

}  // namespace

// Runs first in this file: the helpers for more than two parts are not started yet.
TEST(ParallelParts, PartsWhoseThreadsCannotStartAreDoneByTheCaller) {
    startPartThread = startSomeThreads;
    for (uint32_t threads : {0u, 1u, 3u}) {
        allowed = threads;
        SCOPED_TRACE(testing::Message() << threads << " threads start");
        static Visits visits = {};
        visits = {};
        visitAll(visits, 1000, 8);
        expectEachOnce(visits, 1000, 8);
        // A call inside a part finds the helpers busy and starts threads of its own.
        visits = {};
        forEachPart(2, 2, [&](uint64_t begin, uint64_t, uint32_t) {
            if (begin == 0) visitAll(visits, 1000, 6);
        });
        expectEachOnce(visits, 1000, 6);
    }
    startPartThread = startHelperThread;
}

TEST(ParallelParts, EveryItemOnceEveryPartOnceWhateverTheSplit) {
    const uint64_t counts[] = {0, 1, 7, 1000};
    // Growing and shrinking part counts: helpers started for eight must not
    // run again when the next call wants two.
    const uint32_t splits[] = {2, 8, 3, 2, 5, 1, 8};
    for (uint64_t count : counts) {
        for (uint32_t parts : splits) {
            SCOPED_TRACE(testing::Message() << count << " items in " << parts << " parts");
            static Visits visits;
            visits = {};
            visitAll(visits, count, parts);
            expectEachOnce(visits, count, parts);
        }
    }
}

TEST(ParallelParts, NestedAndConcurrentCallersFinish) {
    // A part that splits its own work, and two threads splitting at once (an
    // import while the preview renders), must neither wait for each other
    // forever nor lose a part.
    std::atomic<uint64_t> total{0};
    auto nested = [&] {
        for (int round = 0; round < 200; ++round)
            forEachPart(4, 2, [&](uint64_t begin, uint64_t end, uint32_t) {
                forEachPart(10 * (end - begin), 2, [&](uint64_t from, uint64_t to, uint32_t) { total += to - from; });
            });
    };
    std::thread other(nested);
    nested();
    other.join();
    EXPECT_EQ(total.load(), 2u * 200 * 40);
}
