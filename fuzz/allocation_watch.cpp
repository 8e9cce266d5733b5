#include "allocation_watch.h"

#include <sanitizer/allocator_interface.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool watching;
size_t live, peak, largest;
// Over the whole run, for inputs under 64 KiB.
size_t runLargest, runLargestInput, runPeak, runPeakInput;

void onAllocate(const volatile void*, size_t size) {
    if (!watching) return;
    live += size;
    if (live > peak) peak = live;
    if (size > largest) largest = size;
}

void onRelease(const volatile void* address) {
    if (!watching || !address) return;
    size_t size = __sanitizer_get_allocated_size(const_cast<const void*>(address));
    live = size < live ? live - size : 0;
}

void report() {
    fprintf(stderr, "allocations: largest single %zu bytes (input of %zu bytes), largest peak %zu bytes (input of %zu bytes)\n",
            runLargest, runLargestInput, runPeak, runPeakInput);
}

}  // namespace

void startAllocationWatch() {
    static bool installed = false;
    if (!installed) {
        __sanitizer_install_malloc_and_free_hooks(onAllocate, onRelease);
        atexit(report);
        installed = true;
    }
    live = peak = largest = 0;
    watching = true;
}

void endAllocationWatch(size_t inputSize) {
    watching = false;
    if (inputSize < 64 * 1024) {
        if (largest > runLargest) runLargest = largest, runLargestInput = inputSize;
        if (peak > runPeak) runPeak = peak, runPeakInput = inputSize;
    }
    if (peak > allocationBound(inputSize)) {
        fprintf(stderr, "an input of %zu bytes made the reader hold %zu bytes at once (bound %zu)\n", inputSize,
                peak, allocationBound(inputSize));
        abort();
    }
}

void require(bool holds, const char* what) {
    if (holds) return;
    fprintf(stderr, "broken: %s\n", what);
    abort();
}
