#include "transfer/transfer_controls_win.h"

#include <commctrl.h>

#include <cstdlib>

namespace {

TransferWindows& windowsOf(void* context) { return *static_cast<TransferWindows*>(context); }

int32_t comboSelection(void* context) {
    LRESULT selected = SendMessageW(windowsOf(context).writerCombo, CB_GETCURSEL, 0, 0);
    return selected == CB_ERR ? -1 : static_cast<int32_t>(selected);
}

void setComboSelection(void* context, int32_t index) {
    SendMessageW(windowsOf(context).writerCombo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void deleteComboItem(void* context, uint32_t index) {
    SendMessageW(windowsOf(context).writerCombo, CB_DELETESTRING, index, 0);
}

void addComboItem(void* context, const char16_t* label) {
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

struct ThreadStart {
    void (*body)(void*);
    void* argument;
};

DWORD WINAPI runThread(LPVOID parameter) {
    ThreadStart start = *static_cast<ThreadStart*>(parameter);
    free(parameter);
    start.body(start.argument);
    return 0;
}

bool startThread(void*, void (*body)(void*), void* argument) {
    auto* start = static_cast<ThreadStart*>(malloc(sizeof(ThreadStart)));
    if (!start) return false;
    *start = {body, argument};
    HANDLE thread = CreateThread(nullptr, 0, runThread, start, 0, nullptr);
    if (!thread) {
        free(start);
        return false;
    }
    CloseHandle(thread);  // nobody waits for a transfer
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
    return {&windows, comboSelection, setComboSelection, deleteComboItem, addComboItem, setTransferControls};
}

TransferControls transferControlsFor(TransferWindows& windows) {
    return {&windows,       setStatus,       hasMarquee,  setMarquee,       setProgressRange,
            setProgressPosition, setTransferControls, comboSelection, bankPosition, setBankPosition,
            showTooMuchData, startThread,     counter,     counterFrequency};
}
