// Imports one file and prints the process's peak resident memory, so the
// import's memory use can be checked from outside.
#include <sys/resource.h>

#include <cstdio>
#include <cstring>

#include "import/import_sample.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: import_memory_probe FILE.wav\n");
        return 2;
    }
    struct rusage before;
    getrusage(RUSAGE_SELF, &before);
    Instrument instrument = {};
    ErrorCode code = importSample(instrument, Utf8View{argv[1], uint32_t(std::strlen(argv[1]))});
    struct rusage after;
    getrusage(RUSAGE_SELF, &after);
    std::printf("import: code %u, %u samples\n", unsigned(code), instrument.samples.count);
    std::printf("peak resident memory: %.1f MiB (%.1f MiB before the import)\n", after.ru_maxrss / 1024.0,
                before.ru_maxrss / 1024.0);
    releaseSamples(instrument.samples);
    return failed(code) ? 1 : 0;
}
