#pragma once
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "transfer/transfer_job.h"
#include "transfer/writer_discovery.h"

// Room for every report of one transfer (a progress report before the first
// block and after each, "too much data", the finish): the worker never waits.
constexpr uint32_t kTerminalReportSlots = kCardCapacity / kCardBlockBytes + 3;

// The transfer's controls on a terminal: a progress bar on standard error
// while it is a terminal, and the final status on standard output. The
// calling thread plays the window's part: it starts the worker and applies
// its reports until the finish.
struct TerminalTransfer {
    bool showBar;
    bool tooMuchData;
    bool finished;  // a final status was given
    uint32_t bank;
    int32_t writer;  // index into the writer list
    uint32_t progressTotal;
    // Reports on their way from the worker, and the worker itself.
    std::mutex lock{};
    std::condition_variable changed{};
    TransferReport reports[kTerminalReportSlots] = {};
    uint32_t firstReport = 0;
    uint32_t reportCount = 0;
    bool workerEnded = false;
    std::thread worker{};
};
TransferControls terminalTransferControls(TerminalTransfer& terminal);

// Discovery without a list control: the writers are read from the list itself.
WriterListView silentWriterList();

bool isTerminal(FILE* stream);
