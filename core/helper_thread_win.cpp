#include <windows.h>

#include <new>

#include "core/helper_thread.h"

namespace {

struct Start {
    HelperThreadEntry entry;
    void* argument;
};

DWORD WINAPI runStart(void* start) {
    Start copy = *static_cast<Start*>(start);
    delete static_cast<Start*>(start);
    copy.entry(copy.argument);
    return 0;
}

}  // namespace

bool startHelperThread(HelperThreadEntry entry, void* argument) {
    Start* start = new (std::nothrow) Start{entry, argument};
    if (!start) return false;
    HANDLE thread = CreateThread(nullptr, 0, runStart, start, 0, nullptr);
    if (!thread) {
        delete start;
        return false;
    }
    CloseHandle(thread);
    return true;
}
