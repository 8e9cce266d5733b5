#include "core/parallel_parts.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

bool (*startPartThread)(HelperThreadEntry entry, void* argument) = startHelperThread;

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
    uint32_t started;                 // helpers 1 .. started exist
    uint64_t startRound[kMaxParts];   // the round each helper was started in
    uint64_t round;  // counts the calls, so a helper knows a new one from the last
    PartJob job;
    uint32_t unfinished;
};

PartHelpers& partHelpers() {
    static PartHelpers* helpers = new PartHelpers();  // outlives every static destructor the threads might race
    return *helpers;
}

void helperLoop(void* argument) {
    uint32_t part = uint32_t(reinterpret_cast<uintptr_t>(argument));
    PartHelpers& helpers = partHelpers();
    std::unique_lock<std::mutex> hold(helpers.lock);
    uint64_t seenRound = helpers.startRound[part];
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

// Threads of one call only, for a caller that finds the helpers busy. The
// record lives on the heap and goes with its last user: a thread that has
// told the caller it is done may still be inside the mutex's unlock (the
// MinGW runtime touches the mutex after releasing it), so the caller must not
// take the record with its frame.
struct OwnThreads {
    std::mutex lock;
    std::condition_variable finished;
    uint32_t unfinished = 0;
    std::atomic<uint32_t> users{1};  // the caller, and each thread started
    PartJob job = {};
    struct Part {
        OwnThreads* threads;
        uint32_t part;
    } parts[kMaxParts] = {};
};

void leave(OwnThreads& threads) {
    if (threads.users.fetch_sub(1, std::memory_order_acq_rel) == 1) delete &threads;
}

void ownThreadMain(void* argument) {
    OwnThreads::Part& mine = *static_cast<OwnThreads::Part*>(argument);
    OwnThreads& threads = *mine.threads;
    runPart(threads.job, mine.part);
    {
        std::lock_guard<std::mutex> hold(threads.lock);
        if (--threads.unfinished == 0) threads.finished.notify_one();
    }
    leave(threads);
}

void runWithOwnThreads(const PartJob& job) {
    OwnThreads* threads = new (std::nothrow) OwnThreads;
    if (!threads) {
        for (uint32_t part = 0; part < job.parts; ++part) runPart(job, part);
        return;
    }
    threads->job = job;
    bool own[kMaxParts] = {};
    for (uint32_t part = 1; part < job.parts; ++part) {
        threads->parts[part] = {threads, part};
        std::lock_guard<std::mutex> hold(threads->lock);
        threads->users.fetch_add(1, std::memory_order_relaxed);
        if (startPartThread(ownThreadMain, &threads->parts[part])) {
            own[part] = true;
            ++threads->unfinished;
        } else {
            threads->users.fetch_sub(1, std::memory_order_relaxed);
        }
    }
    // The parts no thread took are done here.
    for (uint32_t part = 0; part < job.parts; ++part)
        if (!own[part]) runPart(job, part);
    {
        std::unique_lock<std::mutex> hold(threads->lock);
        threads->finished.wait(hold, [&] { return threads->unfinished == 0; });
    }
    leave(*threads);
}

}  // namespace

uint32_t partCount(uint64_t count, uint64_t minimumPerPart) {
    uint64_t byLength = minimumPerPart ? count / minimumPerPart : count;
    if (byLength < 1) byLength = 1;
    return byLength < coreCount() ? static_cast<uint32_t>(byLength) : coreCount();
}

void runParts(uint64_t count, uint32_t parts, PartWork work, void* context) {
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
    uint32_t helped = 0;  // parts 1 .. helped go to helpers
    {
        std::lock_guard<std::mutex> hold(helpers.lock);
        while (helpers.started + 1 < parts) {
            uint32_t part = helpers.started + 1;
            helpers.startRound[part] = helpers.round;
            if (!startPartThread(helperLoop, reinterpret_cast<void*>(uintptr_t(part)))) break;
            helpers.started = part;
        }
        helped = helpers.started + 1 < parts ? helpers.started : parts - 1;
        helpers.job = job;
        helpers.unfinished = helped;
        ++helpers.round;
    }
    helpers.wake.notify_all();
    runPart(job, 0);
    // Parts beyond the helpers that could be started are done here.
    for (uint32_t part = helped + 1; part < parts; ++part) runPart(job, part);
    if (helped) {
        std::unique_lock<std::mutex> hold(helpers.lock);
        helpers.finished.wait(hold, [&] { return helpers.unfinished == 0; });
    }
    helpers.taken.store(false, std::memory_order_release);
}
