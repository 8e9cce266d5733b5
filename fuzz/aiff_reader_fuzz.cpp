// The AIFF and AIFC reader on arbitrary bytes: libFuzzer's entry point.
#include "import/aiff_reader.h"
#include "sample_reader_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    checkSampleReader(decodeAiff, data, size);
    return 0;
}
