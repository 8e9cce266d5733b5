#include "transfer/transfer_controls_win.h"

#include <commctrl.h>

#include <cstring>

namespace {

TransferWindows& windowsOf(void* context) { return *static_cast<TransferWindows*>(context); }

int32_t comboSelection(void* context) {
    if (windowsOf(context).noWriterShown) return -1;
    LRESULT selected = SendMessageW(windowsOf(context).writerCombo, CB_GETCURSEL, 0, 0);
    return selected == CB_ERR ? -1 : static_cast<int32_t>(selected);
}

void setComboSelection(void* context, int32_t index) {
    SendMessageW(windowsOf(context).writerCombo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void deleteComboItem(void* context, uint32_t index) {
    SendMessageW(windowsOf(context).writerCombo, CB_DELETESTRING, index, 0);
}

void showNoWriter(void* context, bool noWriter) {
    TransferWindows& w = windowsOf(context);
    if (noWriter == w.noWriterShown) return;
    if (noWriter) {
        SendMessageW(w.writerCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"No card writer connected"));
        SendMessageW(w.writerCombo, CB_SETCURSEL, 0, 0);
    } else {
        SendMessageW(w.writerCombo, CB_DELETESTRING, 0, 0);
    }
    w.noWriterShown = noWriter;
}

// The line that says no writer is there goes before the first writer comes,
// so that the list's entries stay those of the writers.
void addComboItem(void* context, const char16_t* label) {
    showNoWriter(context, false);
    SendMessageW(windowsOf(context).writerCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label));
}

void setTransferControls(void* context, bool comboEnabled, bool othersEnabled) {
    TransferWindows& w = windowsOf(context);
    EnableWindow(w.writerCombo, comboEnabled);
    EnableWindow(w.sendButton, othersEnabled);
    SendMessageW(w.bankEdit, EM_SETREADONLY, !othersEnabled, 0);
    EnableWindow(w.bankSpin, othersEnabled);
}

void setStatus(void* context, const char16_t* text) {
    SetWindowTextW(windowsOf(context).statusText, reinterpret_cast<const wchar_t*>(text));
}

bool hasMarquee(void* context) {
    return (GetWindowLongW(windowsOf(context).progress, GWL_STYLE) & PBS_MARQUEE) != 0;
}

void setMarquee(void* context, bool on) {
    HWND progress = windowsOf(context).progress;
    LONG style = GetWindowLongW(progress, GWL_STYLE);
    SetWindowLongW(progress, GWL_STYLE, on ? (style | PBS_MARQUEE) : (style & ~PBS_MARQUEE));
    SendMessageW(progress, PBM_SETMARQUEE, on, 0);
}

void setProgressRange(void* context, uint32_t total) {
    SendMessageW(windowsOf(context).progress, PBM_SETRANGE32, 0, total);
}

void setProgressPosition(void* context, uint32_t position) {
    SendMessageW(windowsOf(context).progress, PBM_SETPOS, position, 0);
}

uint32_t bankPosition(void* context) {
    return static_cast<uint32_t>(SendMessageW(windowsOf(context).bankSpin, UDM_GETPOS32, 0, 0));
}

void setBankPosition(void* context, uint32_t bank) {
    SendMessageW(windowsOf(context).bankSpin, UDM_SETPOS32, 0, static_cast<LPARAM>(bank));
}

void showTooMuchData(void* context) {
    TransferWindows& w = windowsOf(context);
    MessageBoxW(w.owner, L"Too much data for the card", w.caption, MB_ICONERROR);
}

// A report travels by value in the message's two parameters, so one still
// queued when the owner is destroyed goes with the queue and points nowhere.
// wParam: kind, success << 8, total << 32; lParam: done, or the seconds' bits.
static_assert(sizeof(WPARAM) == 8 && sizeof(LPARAM) == 8, "a report needs two 64-bit parameters");

bool postReport(void* context, const TransferReport& report) {
    HWND owner = windowsOf(context).owner;
    uint32_t seconds = 0;
    memcpy(&seconds, &report.seconds, sizeof seconds);
    WPARAM wParam = WPARAM(report.kind) | WPARAM(report.success) << 8 | WPARAM(report.total) << 32;
    LPARAM lParam = LPARAM(report.kind == TransferReportKind::Finish ? seconds : report.done);
    if (PostMessageW(owner, kTransferReportMessage, wParam, lParam)) return true;
    // A full queue (10,000 messages) empties again: the worker tries later. A
    // window that is gone takes nothing more; shutdown ends the transfer.
    return !IsWindow(owner);
}

DWORD WINAPI runTransferThread(LPVOID job) {
    transferThread(*static_cast<TransferJob*>(job));
    return 0;
}

bool startThread(void*, TransferJob& job) {
    HANDLE thread = CreateThread(nullptr, 0, runTransferThread, &job, 0, nullptr);
    if (!thread) return false;
    job.thread = reinterpret_cast<TransferThread>(thread);
    return true;
}

bool endThread(void*, TransferThread& thread, uint32_t milliseconds) {
    HANDLE handle = reinterpret_cast<HANDLE>(thread);
    if (WaitForSingleObject(handle, milliseconds) != WAIT_OBJECT_0) return false;
    CloseHandle(handle);
    thread = 0;
    return true;
}

uint64_t counter(void*) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<uint64_t>(now.QuadPart);
}

uint64_t counterFrequency(void*) {
    LARGE_INTEGER frequency;
    return QueryPerformanceFrequency(&frequency) ? static_cast<uint64_t>(frequency.QuadPart) : 0;
}

}  // namespace

WriterListView writerListViewFor(TransferWindows& windows) {
    return {&windows, comboSelection, setComboSelection, deleteComboItem, addComboItem, setTransferControls,
            showNoWriter};
}

TransferControls transferControlsFor(TransferWindows& windows) {
    return {&windows,        postReport,   setStatus, hasMarquee,      setMarquee,       setProgressRange,
            setProgressPosition, setTransferControls, comboSelection, bankPosition, setBankPosition,
            showTooMuchData, startThread,  endThread, counter,         counterFrequency};
}

void onTransferReport(TransferJob& job, WPARAM wParam, LPARAM lParam) {
    TransferReport report = {};
    report.kind = static_cast<TransferReportKind>(wParam & 0xFF);
    report.success = (wParam >> 8 & 1) != 0;
    report.total = static_cast<uint32_t>(wParam >> 32);
    uint32_t low = static_cast<uint32_t>(lParam);
    if (report.kind == TransferReportKind::Finish)
        memcpy(&report.seconds, &low, sizeof low);
    else
        report.done = low;
    applyTransferReport(job, report);
}
