#include "core/parallel_parts.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

uint32_t coreCount() {
    // Asked once: the answer comes from a file that every block would read again.
    static const uint32_t cores = [] {
        uint32_t found = std::thread::hardware_concurrency();
        return found == 0 ? 1u : (found > kMaxParts ? kMaxParts : found);
    }();
    return cores;
}

struct PartJob {
    PartWork work;
    void* context;
    uint64_t count;
    uint32_t parts;
};

void runPart(const PartJob& job, uint32_t part) {
    job.work(job.context, job.count * part / job.parts, job.count * (part + 1) / job.parts, part);
}

// Helper threads wait here between calls. They are never joined: they hold
// nothing, and the process ends them when it ends.
struct PartHelpers {
    std::atomic<bool> taken{false};  // one caller at a time; any other runs its own threads
    std::mutex lock;
    std::condition_variable wake;
    std::condition_variable finished;
    uint32_t started;
    uint64_t round;  // counts the calls, so a helper knows a new one from the last
    PartJob job;
    uint32_t unfinished;
};

PartHelpers& partHelpers() {
    static PartHelpers* helpers = new PartHelpers();  // outlives every static destructor the threads might race
    return *helpers;
}

void helperLoop(uint32_t part, uint64_t seenRound) {
    PartHelpers& helpers = partHelpers();
    std::unique_lock<std::mutex> hold(helpers.lock);
    for (;;) {
        helpers.wake.wait(hold, [&] { return helpers.round != seenRound; });
        seenRound = helpers.round;
        if (part >= helpers.job.parts) continue;
        PartJob job = helpers.job;
        hold.unlock();
        runPart(job, part);
        hold.lock();
        if (--helpers.unfinished == 0) helpers.finished.notify_one();
    }
}

void runWithOwnThreads(const PartJob& job) {
    std::thread threads[kMaxParts];
    for (uint32_t part = 1; part < job.parts; ++part) threads[part] = std::thread(runPart, job, part);
    runPart(job, 0);
    for (uint32_t part = 1; part < job.parts; ++part) threads[part].join();
}

}  // namespace

uint32_t partCount(uint64_t count, uint64_t minimumPerPart) {
    uint64_t byLength = minimumPerPart ? count / minimumPerPart : count;
    if (byLength < 1) byLength = 1;
    return byLength < coreCount() ? static_cast<uint32_t>(byLength) : coreCount();
}

void runParts(uint64_t count, uint32_t parts, PartWork work, void* context) noexcept {
    if (parts > kMaxParts) parts = kMaxParts;
    PartJob job = {work, context, count, parts};
    if (parts <= 1) {
        runPart(job, 0);
        return;
    }
    PartHelpers& helpers = partHelpers();
    // A part that splits its own work again, or a second thread (the preview
    // while an import runs), must not wait for helpers that are busy.
    if (helpers.taken.exchange(true, std::memory_order_acquire)) {
        runWithOwnThreads(job);
        return;
    }
    {
        std::lock_guard<std::mutex> hold(helpers.lock);
        while (helpers.started + 1 < parts) {
            ++helpers.started;
            std::thread(helperLoop, helpers.started, helpers.round).detach();
        }
        helpers.job = job;
        helpers.unfinished = parts - 1;
        ++helpers.round;
    }
    helpers.wake.notify_all();
    runPart(job, 0);
    {
        std::unique_lock<std::mutex> hold(helpers.lock);
        helpers.finished.wait(hold, [&] { return helpers.unfinished == 0; });
    }
    helpers.taken.store(false, std::memory_order_release);
}
