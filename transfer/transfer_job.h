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

// What the transfer shows and asks of the window; every call is carried out
// on the user-interface thread before it returns.
struct TransferControls {
    void* context;
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
    // Runs body(argument) on a new thread; false when it cannot be started.
    bool (*startThread)(void* context, void (*body)(void* argument), void* argument);
    uint64_t (*counter)(void* context);
    uint64_t (*counterFrequency)(void* context);
};

// The program's one transfer.
struct TransferJob {
    std::atomic<uint8_t> busy;
    uint16_t bank;
    CardWriterConnection connection;
    uint64_t stopwatchStart;  // 0 when not running
    uint64_t stopwatchAccumulated;
    uint64_t frequency;       // read once
    const UsbTransport* usb;
    const TransferControls* controls;
    uint8_t* image;           // owned by the running transfer
    ErrorCode buildResult;
    bool lastSucceeded;       // how the last transfer ended
};

void initTransferJob(TransferJob& job, const UsbTransport& usb, const TransferControls& controls);
// Closes the sending connection (at exit).
void shutdownTransferJob(TransferJob& job);

// The Send to Card command. The card image is built here, from the document
// as it is now, so edits made while the transfer runs never reach the card.
void sendToCard(TransferJob& job, const CardWriterList& writers, const CardDocument& document);

// The worker's body, its progress report and the end of every transfer.
void transferThread(void* job);
void reportTransferProgress(void* job, uint32_t done, uint32_t total);
void finishTransfer(TransferJob& job, bool success, float seconds);
