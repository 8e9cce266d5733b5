#pragma once
#include <cstddef>
#include <cstdint>

// Watches what one input makes the code under test allocate. A file must
// never cost more than a small multiple of its own size: past
// kAllocationBound(size) the target aborts, so the fuzzer keeps the input.
// At exit the largest allocation seen is printed, for the campaign's figures.

constexpr size_t allocationBound(size_t inputSize) { return 8 * inputSize + 64 * 1024; }

void startAllocationWatch();
// Ends the watch of one input of `inputSize` bytes; aborts when its peak
// of live bytes passed the bound.
void endAllocationWatch(size_t inputSize);

// Aborts with the message when `holds` is false (a difference between two
// ways of reading the same bytes, a broken invariant).
void require(bool holds, const char* what);
