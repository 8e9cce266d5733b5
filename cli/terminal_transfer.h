#pragma once
#include <cstdio>

#include "transfer/transfer_job.h"
#include "transfer/writer_discovery.h"

// The transfer's controls on a terminal: a progress bar on standard error
// while it is a terminal, and the final status on standard output.
struct TerminalTransfer {
    bool showBar;
    bool tooMuchData;
    bool finished;  // a final status was given
    uint32_t bank;
    int32_t writer;  // index into the writer list
    uint32_t progressTotal;
};
TransferControls terminalTransferControls(TerminalTransfer& terminal);

// Discovery without a list control: the writers are read from the list itself.
WriterListView silentWriterList();

bool isTerminal(FILE* stream);
