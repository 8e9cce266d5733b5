#pragma once
#include <windows.h>

#include "transfer/transfer_job.h"
#include "transfer/writer_discovery.h"

// The owner window's private message carrying one transfer report; its window
// procedure passes it to onTransferReport.
constexpr UINT kTransferReportMessage = WM_APP + 1;

// The main window's controls that discovery and the transfer drive.
struct TransferWindows {
    HWND owner;              // receives the reports and owns the message box
    const wchar_t* caption;  // of the message box
    HWND writerCombo;
    HWND sendButton;
    HWND progress;
    HWND bankEdit;
    HWND bankSpin;
    HWND statusText;
    bool noWriterShown;  // the writer list holds only the "No card writer connected" line
};

// Tables of functions over those controls; `windows` must outlive them and
// the shutdown of the job that uses them (the worker reads `owner`).
WriterListView writerListViewFor(TransferWindows& windows);
TransferControls transferControlsFor(TransferWindows& windows);

// The owner's window procedure calls this for kTransferReportMessage.
void onTransferReport(TransferJob& job, WPARAM wParam, LPARAM lParam);
