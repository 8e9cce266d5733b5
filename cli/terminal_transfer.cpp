#include "cli/terminal_transfer.h"

#include <chrono>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "cli/cli_output.h"

bool isTerminal(FILE* stream) { return isatty(fileno(stream)) != 0; }

namespace {

TerminalTransfer& terminalOf(void* context) { return *static_cast<TerminalTransfer*>(context); }

constexpr int kBarWidth = 32;

// Progress texts are drawn as the bar (see setProgressPosition); the final
// status goes to standard output, or to standard error when the transfer failed.
void setStatus(void* context, const char16_t* text) {
    TerminalTransfer& t = terminalOf(context);
    Utf16View view = viewOf(text);
    Utf16View progress = viewOf(u"Transferred ");
    if (view.length >= progress.length && textEquals(Utf16View{view.units, progress.length}, progress)) return;
    if (t.showBar) fputs("\r\033[K", stderr);
    t.progressTotal = 0;  // the bar is done
    t.finished = true;
    FILE* out = textEquals(view, viewOf(u"Transfer Failed")) ? stderr : stdout;
    WideBuffer<kStatusTextCapacity> status = {};
    appendText(status, view);
    printText(out, status);
    fputc('\n', out);
}

void setProgressPosition(void* context, uint32_t position) {
    TerminalTransfer& t = terminalOf(context);
    uint32_t progressTotal = t.progressTotal;
    if (!t.showBar || progressTotal == 0) return;
    // The same figures as the window's status line: the offset of the block just written.
    uint32_t done = position < progressTotal ? position : progressTotal;
    int filled = int(uint64_t(done) * kBarWidth / progressTotal);
    fputs("\r[", stderr);
    for (int i = 0; i < kBarWidth; ++i) fputc(i < filled ? '#' : '.', stderr);
    StatusText sizes = {};
    appendSizeText(sizes, done);
    appendText(sizes, viewOf(u" / "));
    appendSizeText(sizes, progressTotal);
    fputs("] ", stderr);
    printText(stderr, sizes);
    fflush(stderr);
}

bool postReport(void* context, const TransferReport& report) {
    TerminalTransfer& t = terminalOf(context);
    std::lock_guard<std::mutex> hold(t.lock);
    if (t.reportCount == kTerminalReportSlots) return false;
    t.reports[(t.firstReport + t.reportCount) % kTerminalReportSlots] = report;
    ++t.reportCount;
    t.changed.notify_one();
    return true;
}

// How long one wait for the worker lasts before the loop looks again.
constexpr auto kReportWait = std::chrono::milliseconds(100);

// No window to keep responsive: this thread waits for the reports and
// applies them until the finish has cleared the busy flag.
bool startThread(void* context, TransferJob& job) {
    TerminalTransfer& t = terminalOf(context);
    t.workerEnded = false;
    t.worker = std::thread([&t, &job] {
        transferThread(job);
        std::lock_guard<std::mutex> hold(t.lock);
        t.workerEnded = true;
        t.changed.notify_one();
    });
    job.thread = reinterpret_cast<TransferThread>(&t.worker);
    while (job.busy) {
        TransferReport report = {};
        {
            std::unique_lock<std::mutex> hold(t.lock);
            if (!t.changed.wait_for(hold, kReportWait, [&t] { return t.reportCount > 0; })) continue;
            report = t.reports[t.firstReport];
            t.firstReport = (t.firstReport + 1) % kTerminalReportSlots;
            --t.reportCount;
        }
        applyTransferReport(job, report);
    }
    return true;
}

bool endThread(void* context, TransferThread& thread, uint32_t milliseconds) {
    TerminalTransfer& t = terminalOf(context);
    {
        std::unique_lock<std::mutex> hold(t.lock);
        if (!t.changed.wait_for(hold, std::chrono::milliseconds(milliseconds), [&t] { return t.workerEnded; }))
            return false;
    }
    t.worker.join();
    thread = 0;
    return true;
}

}  // namespace

TransferControls terminalTransferControls(TerminalTransfer& terminal) {
    return {
        &terminal,
        postReport,
        setStatus,
        // Without a marquee the range is set once, before the first block.
        [](void* c) { return terminalOf(c).progressTotal == 0; },
        [](void*, bool) {},
        [](void* c, uint32_t total) { terminalOf(c).progressTotal = total; },
        setProgressPosition,
        [](void*, bool, bool) {},
        [](void* c) { return terminalOf(c).writer; },
        [](void* c) { return terminalOf(c).bank; },
        [](void* c, uint32_t bank) { terminalOf(c).bank = bank; },
        [](void* c) {
            terminalOf(c).tooMuchData = true;
            fputs("corvane-cli: Too much data for the card\n", stderr);
        },
        startThread,
        endThread,
        // A start of 0 means "not running" to the stopwatch: never give it.
        [](void*) {
            return uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) | 1u;
        },
        [](void*) {
            return uint64_t(std::chrono::steady_clock::period::den / std::chrono::steady_clock::period::num);
        },
    };
}

WriterListView silentWriterList() {
    return {nullptr,
            [](void*) { return int32_t(-1); },
            [](void*, int32_t) {},
            [](void*, uint32_t) {},
            [](void*, const char16_t*) {},
            [](void*, bool, bool) {},
            nullptr};
}
