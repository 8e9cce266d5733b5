#include "transfer/transfer_job.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include "transfer/card_image.h"

static void appendTwoDigits(StatusText& text, uint32_t value) {
    if (value < 10) appendUnit(text, u'0');
    appendUnsigned(text, value);
}

void appendSizeText(StatusText& text, uint32_t bytes) {
    if (bytes < 1024) {
        appendUnsigned(text, bytes);
        appendText(text, viewOf(u"Byte"));
        return;
    }
    uint32_t unit = bytes < 1048576 ? 1024 : 1048576;
    appendUnsigned(text, bytes / unit);
    if (bytes % unit != 0) {
        appendUnit(text, u',');
        appendTwoDigits(text, static_cast<uint32_t>(uint64_t(bytes) * 100 / unit % 100));
    }
    appendText(text, viewOf(unit == 1024 ? u"KiB" : u"MiB"));
}

void buildProgressText(StatusText& text, uint32_t done, uint32_t total) {
    assignText(text, viewOf(u"Transferred "));
    appendSizeText(text, done);
    appendText(text, viewOf(u" / "));
    appendSizeText(text, total);
}

void buildFinishText(StatusText& text, bool success, float seconds) {
    if (!success) {
        assignText(text, viewOf(u"Transfer Failed"));
        return;
    }
    assignText(text, viewOf(u"Transfer Successful (Time: "));
    appendUnsigned(text, static_cast<uint32_t>(seconds));
    appendUnit(text, u',');
    appendTwoDigits(text, static_cast<uint32_t>(seconds * 100) % 100);
    appendText(text, viewOf(u"s)"));
}

static void setStatus(const TransferControls& controls, StatusText& text) {
    terminateTextCutting(text);
    controls.setStatus(controls.context, text.units);
}

void initTransferJob(TransferJob& job, const UsbTransport& usb, const TransferControls& controls) {
    job.busy = 0;
    job.bank = 1;
    job.dither = false;
    job.connection = kClosedConnection;
    job.stopwatchStart = 0;
    job.stopwatchAccumulated = 0;
    job.frequency = 0;
    job.usb = &usb;
    job.controls = &controls;
    job.image = nullptr;
    job.buildResult = ErrorCode::Ok;
    job.thread = 0;
    job.stopping = false;
    job.messageShowing = false;
    job.finishHeld = false;
    job.heldFinish = {};
    job.lastSucceeded = false;
}

static bool endWorker(TransferJob& job, uint32_t milliseconds) {
    const TransferControls& controls = *job.controls;
    return job.thread == 0 || controls.endThread(controls.context, job.thread, milliseconds);
}

// What the worker used; called only once it is done with them.
static void releaseTransfer(TransferJob& job) {
    closeCardWriter(*job.usb, job.connection);
    free(job.image);
    job.image = nullptr;
}

void shutdownTransferJob(TransferJob& job) {
    job.stopping = true;
    if (!endWorker(job, kShutdownWaitMs)) return;
    releaseTransfer(job);
    job.busy = 0;
}

// The end of every transfer, also of one whose thread did not start. The
// busy flag goes last, once everything the finish shows is in place.
static void finishTransfer(TransferJob& job, bool success, float seconds) {
    const TransferControls& controls = *job.controls;
    StatusText text;
    buildFinishText(text, success, seconds);
    setStatus(controls, text);
    if (controls.hasMarquee(controls.context)) controls.setMarquee(controls.context, false);
    controls.setProgressPosition(controls.context, 0);
    controls.setTransferControls(controls.context, true, true);
    job.stopwatchStart = 0;
    job.lastSucceeded = success;
    endWorker(job, kWorkerEndWaitMs);
    releaseTransfer(job);
    job.busy = 0;
}

void sendToCard(TransferJob& job, const CardWriterList& writers, const CardDocument& document) {
    const TransferControls& controls = *job.controls;
    if (job.busy) return;
    int32_t selected = controls.writerSelection(controls.context);
    if (selected < 0 || uint32_t(selected) >= writers.count) return;
    const CardWriterRecord& writer = writers.items[selected];

    uint16_t bank = static_cast<uint16_t>(controls.bankPosition(controls.context));
    if (bank > writer.bankCount) {
        bank = static_cast<uint16_t>(writer.bankCount);
        controls.setBankPosition(controls.context, bank);
    }
    // The last worker normally ended with its finish; if it had not yet, it must before another starts.
    if (!endWorker(job, kWorkerEndWaitMs)) return;
    if (failed(openCardWriter(*job.usb, job.connection, writer.devicePath))) return;

    job.bank = bank;
    job.busy = 1;
    controls.setTransferControls(controls.context, false, false);
    controls.setMarquee(controls.context, true);
    if (job.frequency == 0) job.frequency = controls.counterFrequency(controls.context);
    job.stopwatchAccumulated = 0;
    job.stopwatchStart = controls.counter(controls.context);

    job.image = static_cast<uint8_t*>(malloc(kCardCapacity));
    job.buildResult =
        job.image ? buildCardImage(document, job.image, kCardCapacity, job.dither) : ErrorCode::OutOfMemory;
    job.finishHeld = false;
    if (!controls.startThread(controls.context, job)) finishTransfer(job, false, 0.0f);
}

// A report is never dropped while the user-interface thread may still take
// it: the post is tried again until it goes through, or until shutdown says
// nobody will apply it any more.
static void postReport(TransferJob& job, const TransferReport& report) {
    const TransferControls& controls = *job.controls;
    while (!controls.post(controls.context, report) && !job.stopping)
        std::this_thread::sleep_for(std::chrono::milliseconds(kReportRetryMs));
}

void transferThread(TransferJob& job) {
    const TransferControls& controls = *job.controls;
    ErrorCode code = job.buildResult;
    if (!failed(code)) {
        reportTransferProgress(&job, 0, kCardCapacity);
        TransferProgress progress = {&job, reportTransferProgress};
        code = sendCardImage(*job.usb, job.connection, job.bank, job.image, kCardCapacity, progress);
    }
    if (code == ErrorCode::BufferTooSmall) postReport(job, {TransferReportKind::TooMuchData, false, 0, 0, 0.0f});
    uint64_t elapsed = job.stopwatchAccumulated;
    if (job.stopwatchStart != 0) elapsed += controls.counter(controls.context) - job.stopwatchStart;
    float seconds = job.frequency ? static_cast<float>(double(elapsed) / double(job.frequency)) : 0.0f;
    // The worker's last act: once the finish is taken, the user-interface
    // thread may close the connection and free the image.
    postReport(job, {TransferReportKind::Finish, !failed(code), 0, 0, seconds});
}

void reportTransferProgress(void* job, uint32_t done, uint32_t total) {
    postReport(*static_cast<TransferJob*>(job), {TransferReportKind::Progress, false, done, total, 0.0f});
}

static void showProgress(const TransferControls& controls, uint32_t done, uint32_t total) {
    StatusText text;
    buildProgressText(text, done, total);
    setStatus(controls, text);
    if (controls.hasMarquee(controls.context)) {
        controls.setMarquee(controls.context, false);
        controls.setProgressRange(controls.context, total);
    }
    controls.setProgressPosition(controls.context, done);
}

void applyTransferReport(TransferJob& job, const TransferReport& report) {
    const TransferControls& controls = *job.controls;
    if (!job.busy) return;  // left over from a transfer that shutdown has ended
    switch (report.kind) {
    case TransferReportKind::Progress:
        showProgress(controls, report.done, report.total);
        break;
    case TransferReportKind::TooMuchData:
        // The message box runs its own message loop, which delivers the
        // finish posted right after this report: it waits for the box.
        job.messageShowing = true;
        controls.showTooMuchData(controls.context);
        job.messageShowing = false;
        if (job.finishHeld) {
            job.finishHeld = false;
            finishTransfer(job, job.heldFinish.success, job.heldFinish.seconds);
        }
        break;
    case TransferReportKind::Finish:
        if (job.messageShowing) {
            job.heldFinish = report;
            job.finishHeld = true;
        } else {
            finishTransfer(job, report.success, report.seconds);
        }
        break;
    }
}
