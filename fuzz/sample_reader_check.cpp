#include "sample_reader_check.h"

#include <cstring>

#include "allocation_watch.h"

namespace {

struct MemoryFile {
    const uint8_t* data;
    size_t size;
};

ErrorCode readMemory(void* source, uint64_t offset, uint8_t* into, uint32_t count) {
    const MemoryFile& file = *static_cast<const MemoryFile*>(source);
    require(offset <= file.size && count <= file.size - offset, "the window read past the file");
    memcpy(into, file.data + offset, count);
    return ErrorCode::Ok;
}

DecodedSample freshSample() {
    DecodedSample decoded = {};
    decoded.maxFileSize = kMaxSampleFileSize;
    decoded.mixToMono = 1;
    return decoded;
}

bool sameBits(float a, float b) { return memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

void checkSampleReader(ReaderOnCursor read, const uint8_t* data, size_t size) {
    if (size > kMaxSampleFileSize) return;
    // Each reading is held to the bound on its own: the first one's samples
    // are still there while the second runs.
    startAllocationWatch();
    DecodedSample whole = freshSample();
    ByteCursor memory = makeCursor(data, static_cast<uint32_t>(size));
    ErrorCode wholeCode = read(whole, memory);
    endAllocationWatch(size);

    // An odd block size, so that fields straddle refills.
    startAllocationWatch();
    MemoryFile file = {data, size};
    ByteWindow window = {&file, readMemory, 61, {}, 0, 0, ErrorCode::Ok};
    ByteCursor windowed = makeWindowCursor(window, static_cast<uint32_t>(size));
    DecodedSample piecewise = freshSample();
    ErrorCode pieceCode = read(piecewise, windowed);
    endAllocationWatch(size);

    require(wholeCode == pieceCode, "the two ways of reading end with different codes");
    if (wholeCode == ErrorCode::Ok) {
        require(whole.samples.count == piecewise.samples.count, "different sample counts");
        require(whole.samples.count == 0 ||
                    memcmp(whole.samples.data, piecewise.samples.data, 4 * size_t(whole.samples.count)) == 0,
                "different samples");
        require(whole.channels == piecewise.channels && whole.sampleRate == piecewise.sampleRate,
                "different channels or rate");
        require(sameBits(whole.peak, piecewise.peak), "different peaks");
        require(whole.sampleRate != 0 || whole.samples.count == 0, "samples without a rate");
        // One sample per frame, and every frame was in the file.
        require(whole.samples.count <= size, "more samples than bytes");
        for (uint32_t i = 0; i < whole.samples.count; ++i) {
            float a = whole.samples.data[i] < 0 ? -whole.samples.data[i] : whole.samples.data[i];
            float p = whole.peak < 0 ? -whole.peak : whole.peak;
            require(!(a > p), "a sample beyond the peak");
        }
    }
    releaseDecodedSample(whole);
    releaseDecodedSample(piecewise);
    releaseWindow(window);
}
