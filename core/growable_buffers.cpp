#include "core/growable_buffers.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <type_traits>
#ifdef __linux__
#include <sys/mman.h>
#endif

// Large blocks are kept for reuse when released: the first touch of fresh
// pages costs more than the work done on them (a 16 MiB file read into new
// memory spends most of its time in page faults). A few blocks, bounded in
// total, are kept; everything else goes back to the system at once.
namespace {

constexpr size_t kReusedBlockMinimum = size_t(4) << 20;
constexpr size_t kReusedBytesLimit = size_t(64) << 20;
constexpr int kReusedBlockSlots = 4;
// A header in front of every block records its size, keeping 64-byte alignment.
constexpr size_t kHeaderBytes = 64;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kReuseBlocks = false;  // let the sanitizer see every release
#else
constexpr bool kReuseBlocks = true;
#endif

struct BlockCache {
    std::mutex lock;
    void* blocks[kReusedBlockSlots];
    size_t sizes[kReusedBlockSlots];
    size_t totalBytes;
};

BlockCache& blockCache() {
    static BlockCache cache = {};
    return cache;
}

// Where the system gives 2 MiB pages on request, a large block asks for
// them: a 14 MiB sample otherwise takes some 3,500 page faults to fill.
void askForLargePages(char* block, size_t bytes) {
#ifdef __linux__
    constexpr uintptr_t kLargePage = uintptr_t(2) << 20;
    uintptr_t from = (reinterpret_cast<uintptr_t>(block) + kLargePage - 1) & ~(kLargePage - 1);
    uintptr_t to = (reinterpret_cast<uintptr_t>(block) + bytes) & ~(kLargePage - 1);
    if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#else
    (void)block;
    (void)bytes;
#endif
}

size_t blockSize(void* data) { return *reinterpret_cast<size_t*>(static_cast<char*>(data) - kHeaderBytes); }

void* takeBlock(size_t bytes) {
    if (kReuseBlocks && bytes >= kReusedBlockMinimum) {
        BlockCache& cache = blockCache();
        std::lock_guard<std::mutex> hold(cache.lock);
        int best = -1;
        for (int i = 0; i < kReusedBlockSlots; ++i)
            if (cache.blocks[i] && cache.sizes[i] >= bytes && cache.sizes[i] <= bytes * 2 &&
                (best < 0 || cache.sizes[i] < cache.sizes[best]))
                best = i;
        if (best >= 0) {
            void* block = cache.blocks[best];
            cache.blocks[best] = nullptr;
            cache.totalBytes -= cache.sizes[best];
            return block;
        }
    }
    char* raw = static_cast<char*>(malloc(bytes + kHeaderBytes));
    if (!raw) return nullptr;
    if (bytes >= kReusedBlockMinimum) askForLargePages(raw + kHeaderBytes, bytes);
    *reinterpret_cast<size_t*>(raw) = bytes;
    return raw + kHeaderBytes;
}

void giveBlock(void* data) {
    if (!data) return;
    size_t bytes = blockSize(data);
    if (kReuseBlocks && bytes >= kReusedBlockMinimum) {
        BlockCache& cache = blockCache();
        std::lock_guard<std::mutex> hold(cache.lock);
        for (int i = 0; i < kReusedBlockSlots; ++i) {
            if (cache.blocks[i] || cache.totalBytes + bytes > kReusedBytesLimit) continue;
            cache.blocks[i] = data;
            cache.sizes[i] = bytes;
            cache.totalBytes += bytes;
            return;
        }
    }
    free(static_cast<char*>(data) - kHeaderBytes);
}

template <typename Buffer>
ErrorCode resizeElements(Buffer& buffer, uint32_t count) {
    if (buffer.data && count <= buffer.capacity) {
        buffer.count = count;
        return ErrorCode::Ok;
    }
    using Element = std::remove_reference_t<decltype(*buffer.data)>;
    // Keep one element so a present buffer always has storage.
    size_t bytes = static_cast<size_t>(count ? count : 1) * sizeof(Element);
    auto* storage = static_cast<Element*>(takeBlock(bytes));
    if (!storage) return ErrorCode::OutOfMemory;
    uint32_t kept = buffer.count < count ? buffer.count : count;
    if (buffer.data && kept) memcpy(storage, buffer.data, static_cast<size_t>(kept) * sizeof(Element));
    giveBlock(buffer.data);
    buffer.data = storage;
    buffer.count = count;
    buffer.capacity = count;
    return ErrorCode::Ok;
}

template <typename Buffer>
void moveElements(Buffer& destination, Buffer& source) {
    if (&destination == &source) return;
    giveBlock(destination.data);
    destination = source;
    source.data = nullptr;
    source.count = 0;
    source.capacity = 0;
}

template <typename Buffer>
void releaseElements(Buffer& buffer) {
    giveBlock(buffer.data);
    buffer.data = nullptr;
    buffer.count = 0;
    buffer.capacity = 0;
}

}  // namespace

ErrorCode resizeBuffer(SampleBuffer& buffer, uint32_t count) { return resizeElements(buffer, count); }
ErrorCode resizeBuffer(ByteBuffer& buffer, uint32_t count) { return resizeElements(buffer, count); }
void moveBuffer(SampleBuffer& destination, SampleBuffer& source) { moveElements(destination, source); }
void moveBuffer(ByteBuffer& destination, ByteBuffer& source) { moveElements(destination, source); }
void releaseBuffer(SampleBuffer& buffer) { releaseElements(buffer); }
void releaseBuffer(ByteBuffer& buffer) { releaseElements(buffer); }
