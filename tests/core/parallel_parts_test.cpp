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

}  // namespace

TEST(ParallelParts, EveryItemOnceEveryPartOnceWhateverTheSplit) {
    const uint64_t counts[] = {0, 1, 7, 1000};
    // Growing and shrinking part counts: helpers started for eight must not
    // run again when the next call wants two.
    const uint32_t splits[] = {2, 8, 3, 2, 5, 1, 8};
    for (uint64_t count : counts) {
        for (uint32_t parts : splits) {
            SCOPED_TRACE(testing::Message() << count << " items in " << parts << " parts");
            static Visits visits;
            for (auto& item : visits.items) item = 0;
            for (auto& part : visits.parts) part = 0;
            visitAll(visits, count, parts);
            for (uint64_t i = 0; i < 1000; ++i) ASSERT_EQ(visits.items[i], i < count ? 1u : 0u) << i;
            for (uint32_t p = 0; p < kMaxParts; ++p) ASSERT_EQ(visits.parts[p], p < parts ? 1u : 0u) << p;
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
