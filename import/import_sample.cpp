#include "import/import_sample.h"

#include <cmath>

#include "import/aiff_reader.h"
#include "import/decoded_sample.h"
#include "import/resample.h"
#include "import/sample_processing.h"
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

ErrorCode importSample(Instrument& instrument, Utf8View path) {
    Utf8View extension = pathExtension(path);
    DecodedSample decoded = {};
    decoded.maxFileSize = kMaxSampleFileSize;
    decoded.mixToMono = 1;
    ErrorCode code;
    if (equalIgnoringCase(extension, viewOf("wav")))
        code = readWav(decoded, path);
    else if (equalIgnoringCase(extension, viewOf("aif")) || equalIgnoringCase(extension, viewOf("aiff")) ||
             equalIgnoringCase(extension, viewOf("aifc")))
        code = readAiff(decoded, path);
    else
        return ErrorCode::InvalidFormat;  // "mp3" and everything else, without opening the file
    if (failed(code)) {
        releaseDecodedSample(decoded);
        return code;
    }

    SampleBuffer samples = {};
    moveBuffer(samples, decoded.samples);
    float peak = decoded.peak;
    uint32_t rate = decoded.sampleRate;
    releaseDecodedSample(decoded);

    if (samples.count > 0 && rate != kWorkingSampleRate) {
        uint64_t target = uint64_t(samples.count) * kWorkingSampleRate / rate;
        if (target > UINT32_MAX) {  // only a file of absurdly low rate gets here
            releaseBuffer(samples);
            return ErrorCode::TooLarge;
        }
        SampleBuffer converted = {};
        code = resizeBuffer(converted, static_cast<uint32_t>(target));
        if (!failed(code))
            code = resample(samples.data, samples.count, rate, converted.data, converted.count, kWorkingSampleRate);
        if (failed(code)) {
            releaseBuffer(converted);
            releaseBuffer(samples);
            return code;
        }
        moveBuffer(samples, converted);
        peak = peakSample(samples.data, samples.count);
    }
    normalizePeak(samples.data, samples.count, kPeakCeiling, peak);

    if (instrument.name.length == 0 || containsDefaultName(instrument.name)) {
        clearText(instrument.name);
        appendText(instrument.name, pathBaseName(path));
    }
    moveBuffer(instrument.samples, samples);
    instrument.start = 0;
    instrument.end = instrument.samples.count;
    instrument.decay = defaultDecay(instrument.samples.count, instrument.downsample);
    return ErrorCode::Ok;
}
