// The WAV reader on arbitrary bytes: libFuzzer's entry point.
#include "import/wav_reader.h"
#include "sample_reader_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    checkSampleReader(decodeWav, data, size);
    return 0;
}
