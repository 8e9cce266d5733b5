#pragma once
#include <atomic>
#include <cstdint>

#include "core/card_document.h"
#include "core/error_code.h"
#include "core/text.h"
#include "transfer/writer_discovery.h"
#include "transfer/writer_protocol.h"

constexpr uint32_t kStatusTextCapacity = 128;
using StatusText = WideBuffer<kStatusTextCapacity>;

// A byte count as the status line shows it: "1023Byte", "1KiB", "1,50KiB", "1MiB".
void appendSizeText(StatusText& text, uint32_t bytes);
// "Transferred <done> / <total>"
void buildProgressText(StatusText& text, uint32_t done, uint32_t total);
// "Transfer Successful (Time: 1,25s)" or "Transfer Failed"
void buildFinishText(StatusText& text, bool success, float seconds);

// Two threads take part. The user-interface thread runs sendToCard,
// applyTransferReport and shutdownTransferJob, and is the only one that
// touches the controls, the busy flag, the connection's opening and closing
// and the image's allocation. The worker runs transferThread: it reads the
// image, uses the connection, and posts reports. It never waits on the
// user-interface thread (a post that finds the queue full is tried again, and
// given up once shutdown has begun), so that thread may wait for it.

// What the worker tells the user-interface thread, in the order it happens:
// progress after each block, "too much data", and last the finish.
enum class TransferReportKind : uint8_t { Progress, TooMuchData, Finish };
struct TransferReport {
    TransferReportKind kind;
    bool success;    // Finish
    uint32_t done;   // Progress: the offset of the block just written
    uint32_t total;  // Progress
    float seconds;   // Finish
};

using TransferThread = uintptr_t;  // 0: none
struct TransferJob;

// The window (or terminal) side of a transfer. Only `post` and `counter` are
// called on the worker; everything else on the user-interface thread.
struct TransferControls {
    void* context;
    // Hands the report to the user-interface thread, which is to pass the
    // reports to applyTransferReport in the order posted. False when it cannot
    // be taken now: the worker tries again shortly.
    bool (*post)(void* context, const TransferReport& report);
    void (*setStatus)(void* context, const char16_t* text);
    bool (*hasMarquee)(void* context);
    void (*setMarquee)(void* context, bool on);
    void (*setProgressRange)(void* context, uint32_t total);
    void (*setProgressPosition)(void* context, uint32_t position);
    void (*setTransferControls)(void* context, bool comboEnabled, bool othersEnabled);
    int32_t (*writerSelection)(void* context);  // -1 for none
    uint32_t (*bankPosition)(void* context);
    void (*setBankPosition)(void* context, uint32_t bank);
    void (*showTooMuchData)(void* context);  // returns when the message is dismissed
    // Runs transferThread(job) on a new thread and keeps its handle in
    // job.thread; false when it cannot be started. A terminal, with no window
    // to keep alive, may also wait here and apply the reports until the finish.
    bool (*startThread)(void* context, TransferJob& job);
    // Waits up to `milliseconds` for the thread to end; when it has, releases
    // it, sets it to 0 and returns true.
    bool (*endThread)(void* context, TransferThread& thread, uint32_t milliseconds);
    uint64_t (*counter)(void* context);
    uint64_t (*counterFrequency)(void* context);
};

// A failed post is tried again after this long.
constexpr uint32_t kReportRetryMs = 10;
// The worker's last act is to post its finish, so once that is applied the
// thread ends at once; the bound only keeps a starved thread from holding up
// the window (its handle is then released later).
constexpr uint32_t kWorkerEndWaitMs = 1000;
// How long shutdown waits for a running transfer. Blocks take milliseconds on
// a working writer, and the first failure ends a transfer, so the longest
// transfer is its blocks plus one time-out (a bulk one at most).
constexpr uint32_t kShutdownWaitMs = 10000;
static_assert(kShutdownWaitMs >= kBulkTimeoutMs + kControlTimeoutMs + 2000, "room for a time-out and the blocks");

// The program's one transfer.
struct TransferJob {
    uint8_t busy;  // set by sendToCard, cleared when the finish has been applied
    uint16_t bank;
    bool dither;  // the next Send to Card builds the image with dither; set by the window, false at start
    CardWriterConnection connection;  // opened by sendToCard, closed with the finish
    uint64_t stopwatchStart;          // 0 when not running
    uint64_t stopwatchAccumulated;
    uint64_t frequency;  // read once
    const UsbTransport* usb;
    const TransferControls* controls;  // must outlive shutdownTransferJob
    uint8_t* image;                    // built by sendToCard, freed with the finish
    ErrorCode buildResult;
    TransferThread thread;       // the worker, until it has ended
    std::atomic<bool> stopping;  // set by shutdown: the worker gives up a report it cannot post
    bool messageShowing;         // the "too much data" box is up
    bool finishHeld;             // ... and the finish arrived meanwhile
    TransferReport heldFinish;
    bool lastSucceeded;  // how the last transfer ended
};

void initTransferJob(TransferJob& job, const UsbTransport& usb, const TransferControls& controls);
// At exit: waits up to kShutdownWaitMs for a running worker, then releases
// its thread, the connection and the image. A worker still running after
// that keeps them until the process ends.
void shutdownTransferJob(TransferJob& job);

// The Send to Card command. The card image is built here, from the document
// as it is now, so edits made while the transfer runs never reach the card.
void sendToCard(TransferJob& job, const CardWriterList& writers, const CardDocument& document);

// What the user-interface thread does with one report.
void applyTransferReport(TransferJob& job, const TransferReport& report);

// The worker's body and its progress report (called by sendCardImage).
void transferThread(TransferJob& job);
void reportTransferProgress(void* job, uint32_t done, uint32_t total);
