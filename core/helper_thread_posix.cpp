#include <pthread.h>

#include <new>

#include "core/helper_thread.h"

namespace {

struct Start {
    HelperThreadEntry entry;
    void* argument;
};

void* runStart(void* start) {
    Start copy = *static_cast<Start*>(start);
    delete static_cast<Start*>(start);
    copy.entry(copy.argument);
    return nullptr;
}

}  // namespace

bool startHelperThread(HelperThreadEntry entry, void* argument) {
    Start* start = new (std::nothrow) Start{entry, argument};
    if (!start) return false;
    pthread_t thread;
    if (pthread_create(&thread, nullptr, runStart, start) != 0) {
        delete start;
        return false;
    }
    pthread_detach(thread);
    return true;
}
