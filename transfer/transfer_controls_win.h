#pragma once
#include <windows.h>

#include "transfer/transfer_job.h"
#include "transfer/writer_discovery.h"

// The main window's controls that discovery and the transfer drive.
struct TransferWindows {
    HWND owner;            // owns the message box
    const wchar_t* caption;  // of the message box
    HWND writerCombo;
    HWND sendButton;
    HWND progress;
    HWND bankEdit;
    HWND bankSpin;
    HWND statusText;
};

// Tables of functions over those controls; `windows` must outlive them.
WriterListView writerListViewFor(TransferWindows& windows);
TransferControls transferControlsFor(TransferWindows& windows);
