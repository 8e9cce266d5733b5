#include "core/growable_buffers.h"

#include <cstdlib>
#include <cstring>
#include <type_traits>

template <typename Buffer>
static ErrorCode resizeElements(Buffer& buffer, uint32_t count) {
    if (buffer.data && count <= buffer.capacity) {
        buffer.count = count;
        return ErrorCode::Ok;
    }
    using Element = std::remove_reference_t<decltype(*buffer.data)>;
    // malloc(0) may give null; keep one element so a present buffer always has storage.
    size_t bytes = static_cast<size_t>(count ? count : 1) * sizeof(Element);
    auto* storage = static_cast<Element*>(malloc(bytes));
    if (!storage) return ErrorCode::OutOfMemory;
    uint32_t kept = buffer.count < count ? buffer.count : count;
    if (buffer.data && kept) memcpy(storage, buffer.data, static_cast<size_t>(kept) * sizeof(Element));
    free(buffer.data);
    buffer.data = storage;
    buffer.count = count;
    buffer.capacity = count;
    return ErrorCode::Ok;
}

template <typename Buffer>
static void moveElements(Buffer& destination, Buffer& source) {
    if (&destination == &source) return;
    free(destination.data);
    destination = source;
    source.data = nullptr;
    source.count = 0;
    source.capacity = 0;
}

template <typename Buffer>
static void releaseElements(Buffer& buffer) {
    free(buffer.data);
    buffer.data = nullptr;
    buffer.count = 0;
    buffer.capacity = 0;
}

ErrorCode resizeBuffer(SampleBuffer& buffer, uint32_t count) { return resizeElements(buffer, count); }
ErrorCode resizeBuffer(ByteBuffer& buffer, uint32_t count) { return resizeElements(buffer, count); }
void moveBuffer(SampleBuffer& destination, SampleBuffer& source) { moveElements(destination, source); }
void moveBuffer(ByteBuffer& destination, ByteBuffer& source) { moveElements(destination, source); }
void releaseBuffer(SampleBuffer& buffer) { releaseElements(buffer); }
void releaseBuffer(ByteBuffer& buffer) { releaseElements(buffer); }
