#include "import/import_sample.h"

#include <cmath>

#include "core/file_cursor.h"
#include "import/aiff_reader.h"
#include "import/decoded_sample.h"
#include "import/resample.h"
#include "import/sample_processing.h"
#include "import/sample_run.h"
#include "import/wav_reader.h"

const char* const kSampleExtensions[5] = {"wav", "aif", "aiff", "aifc", "mp3"};

Utf8View pathExtension(Utf8View path) {
    if (path.length < 2) return {path.units, 0};
    for (uint32_t i = path.length - 1; i > 0; --i)
        if (path.units[i - 1] == '.') return {path.units + i, path.length - i};
    return {path.units, 0};
}

static uint32_t foldCase(uint32_t c) {
    if ((c >= 0x41 && c <= 0x5A) || (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xDE)) return c + 32;
    if (c == 0xB5) return 0x3BC;
    return c;
}

bool equalIgnoringCase(Utf8View a, Utf8View b) {
    if (a.length != b.length) return false;
    uint32_t i = 0;
    while (i < a.length) {
        uint32_t ca, cb;
        uint32_t sizeA = decodeUtf8(a, i, ca);
        uint32_t sizeB = decodeUtf8(b, i, cb);
        if (sizeA == 0 || sizeB == 0) {
            if (a.units[i] != b.units[i]) return false;
            ++i;
            continue;
        }
        if (sizeA != sizeB) return false;
        if (ca != cb && foldCase(ca) != foldCase(cb)) return false;
        i += sizeA;
    }
    return true;
}

uint8_t defaultDecay(uint32_t frames, bool downsample) {
    uint64_t x = downsample ? frames : uint64_t(frames) * kWorkingSampleRate / kTuneZeroSampleRate;
    uint64_t units = (x + 1023) / 1024;
    return static_cast<uint8_t>(units > 255 ? 255 : units);
}

static bool containsDefaultName(const NameBuffer& name) {
    static const char kDefault[] = "Inst ";
    for (uint32_t i = 0; i + 5 <= name.length; ++i)
        if (textEquals(Utf8View{name.units + i, 5}, Utf8View{kDefault, 5})) return true;
    return false;
}

// How many samples the run becomes at the working rate.
static uint64_t convertedLength(const SampleRun& run, uint32_t rate) {
    if (rate == kWorkingSampleRate) return run.outputs;
    return uint64_t(run.outputs) * kWorkingSampleRate / rate;
}

// Decodes the run and converts it to the working rate block by block: each
// block is decoded straight into the resampler's input, and the outputs it
// completes go straight into `samples`, sized once. `peak` is theirs.
static ErrorCode convertRun(ByteCursor& cursor, const SampleRun& run, uint32_t rate, SampleBuffer& samples,
                            float& peak) {
    uint64_t target = convertedLength(run, rate);  // within the instrument's bound, checked before
    const uint32_t block = runBlockOutputs(run);
    StreamResampler resampler;
    ErrorCode code = startResampler(resampler, run.outputs, rate, static_cast<uint32_t>(target), kWorkingSampleRate,
                                    block);
    if (failed(code)) return code;
    code = resizeBuffer(samples, static_cast<uint32_t>(target));
    uint32_t produced = 0;
    for (uint32_t first = 0; first < run.outputs && !failed(code);) {
        uint32_t room = 0;
        float* space = resamplerSpace(resampler, room);
        uint32_t count = run.outputs - first;
        if (count > block) count = block;
        if (count > room) count = room;
        float unconverted;  // the peak that counts is the converted samples'
        code = decodeRunBlock(cursor, run, first, count, space, unconverted);
        if (failed(code)) break;
        first += count;
        uint32_t done = resamplerTake(resampler, count, samples.data);
        peak = joinPeaks(peak, peakSample(samples.data + produced, done - produced));
        produced = done;
    }
    releaseResampler(resampler);
    return code;
}

ErrorCode importSample(Instrument& instrument, Utf8View path) {
    Utf8View extension = pathExtension(path);
    ErrorCode (*scan)(DecodedSample&, ByteCursor&, SampleRun&);
    if (equalIgnoringCase(extension, viewOf("wav")))
        scan = scanWav;
    else if (equalIgnoringCase(extension, viewOf("aif")) || equalIgnoringCase(extension, viewOf("aiff")) ||
             equalIgnoringCase(extension, viewOf("aifc")))
        scan = scanAiff;
    else
        return ErrorCode::InvalidFormat;  // "mp3" and everything else, without opening the file

    DecodedSample decoded = {};
    decoded.maxFileSize = kMaxSampleFileSize;
    decoded.mixToMono = 1;
    SampleRun run = {};
    SampleBuffer samples = {};
    float peak = 0.0f;
    FileCursor file;
    ErrorCode code = openFileCursor(path, decoded.maxFileSize, kSampleBlockBytes, file);
    if (!failed(code)) code = scan(decoded, file.cursor, run);
    if (!failed(code) && run.outputs > 0 && decoded.sampleRate < kMinImportSampleRate) code = ErrorCode::NotSupported;
    // Refused before a sample is decoded: the instrument stays as it was.
    if (!failed(code) && run.outputs > 0 && convertedLength(run, decoded.sampleRate) > kMaxInstrumentSamples)
        code = ErrorCode::TooLong;
    if (!failed(code)) {
        if (run.outputs > 0 && decoded.sampleRate != kWorkingSampleRate) {
            // The reader's peak is that of samples the conversion replaces.
            code = convertRun(file.cursor, run, decoded.sampleRate, samples, peak);
        } else if (run.outputs > 0) {
            code = decodeRun(file.cursor, run, samples, peak);
            peak = joinPeaks(decoded.peak, peak);
        }
    }
    code = fileCursorResult(file, code);
    closeFileCursor(file);
    releaseDecodedSample(decoded);
    if (failed(code)) {
        releaseBuffer(samples);
        return code;
    }
    normalizePeak(samples.data, samples.count, kPeakCeiling, peak);

    // The name is set after the samples are taken: a failure leaves the instrument as it was.
    NameBuffer name = instrument.name;
    if (instrument.name.length == 0 || containsDefaultName(instrument.name)) {
        clearText(name);
        appendText(name, pathBaseName(path));
    }
    if (failed(adoptSamples(instrument.samples, samples))) {
        releaseBuffer(samples);
        return ErrorCode::OutOfMemory;
    }
    instrument.name = name;
    instrument.start = 0;
    instrument.end = instrument.samples.count;
    instrument.decay = defaultDecay(instrument.samples.count, instrument.downsample);
    return ErrorCode::Ok;
}
