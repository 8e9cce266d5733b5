#include "cli/cli.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "corvane_version.h"

#include "cardfile/card_file.h"
#include "cardfile/card_file_messages.h"
#include "core/file_io.h"
#include "cli/cli_arguments.h"
#include "cli/cli_output.h"
#include "cli/float_wav_writer.h"
#include "cli/terminal_transfer.h"
#include "transfer/card_models.h"
#include "core/memory_text.h"
#include "core/trim_silence.h"
#include "import/import_files.h"
#include "import/import_messages.h"
#include "import/sample_processing.h"
#include "import/zero_crossing.h"
#include "transfer/card_image.h"
#include "transfer/card_sound.h"
#include "transfer/transfer_job.h"
#include "transfer/writer_discovery.h"

namespace {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

struct Command {
    const char* name;
    const char* usage;    // after "corvane-cli "
    const char* summary;
    const char* details;  // shown by --help, may be empty
    int (*run)(Arguments args, const UsbTransport& usb);
};

// ---- shared steps -------------------------------------------------------

// The card document of one command, released on every way out.
struct Card {
    CardDocument document = {};
    Card() { resetDocument(document); }
    ~Card() { releaseDocument(document); }
};

// A path as typed, made absolute: an instrument is named after its file, and
// messages name files so that they can be found. As typed when that fails.
Utf8View fullPath(const char* typed, PathBuffer& storage) {
    if (failed(absolutePath(viewOf(typed), storage))) return viewOf(typed);
    return viewOf(storage);
}

bool loadCard(const char* typedPath, Card& card) {
    PathBuffer storage;
    Utf8View path = fullPath(typedPath, storage);
    ErrorCode code = readCardFile(card.document, path);
    if (!failed(code)) return true;
    char what[160];
    snprintf(what, sizeof what, "%s: %s", kCardFileLoadFailure, cardFileLoadReason(code));
    printFileError(path, what);
    return false;
}

bool saveCard(const char* typedPath, const Card& card) {
    PathBuffer storage;
    Utf8View path = fullPath(typedPath, storage);
    ErrorCode code = writeCardFile(card.document, path);
    if (!failed(code)) return true;
    char what[160];
    snprintf(what, sizeof what, "%s: %s", kCardFileSaveFailure, errorCodeText(code));
    printFileError(path, what);
    return false;
}

// A value given that the command had to change: told on standard error, the work goes on.
__attribute__((format(printf, 1, 2))) void warn(const char* format, ...) {
    va_list values;
    va_start(values, format);
    fputs("corvane-cli: warning: ", stderr);
    vfprintf(stderr, format, values);
    fputc('\n', stderr);
    va_end(values);
}

void usageError(const Command& command, const char* what) {
    fprintf(stderr, "corvane-cli %s: %s\nusage: corvane-cli %s\n", command.name, what, command.usage);
}

// An instrument position as people count, from 1: first its form, before any file is read...
bool parsePosition(const Command& command, const char* text, uint32_t& position) {
    if (parseUnsigned(text, position) && position >= 1) return true;
    usageError(command, "an instrument is given by its position, 1 for the first");
    return false;
}

// ...then whether the card has it.
bool instrumentIndex(uint32_t position, const char* cardPath, const Card& card, uint32_t& index) {
    if (position > card.document.instruments.count) {
        char what[96];
        snprintf(what, sizeof what, "there is no instrument %u: the card holds %u", position,
                 card.document.instruments.count);
        printFileError(viewOf(cardPath), what);
        return false;
    }
    index = position - 1;
    return true;
}

// A name as the window's edit fields take it: at most 8 UTF-16 units typed.
template <typename Store>
void setTypedName(const char* text, Store store) {
    WideBuffer<64> wide = {};
    appendUtf8AsUtf16(wide, viewOf(text));
    WideBuffer<kNameCapacity> typed = {};
    appendText(typed, viewOf(wide));
    store(viewOf(typed));
}

// ---- commands -----------------------------------------------------------

const Command& commandNamed(const char* name);

int runNew(Arguments args, const UsbTransport&) {
    const Command& command = commandNamed("new");
    const char* path = nullptr;
    const char* name = nullptr;
    for (int i = 0; i < args.count; ++i) {
        if (argumentIs(args.values[i], "--name")) {
            if (++i >= args.count) return usageError(command, "--name needs a name"), kUsage;
            name = args.values[i];
        } else if (!path && args.values[i][0] != '-') {
            path = args.values[i];
        } else {
            return usageError(command, "unexpected argument"), kUsage;
        }
    }
    if (!path) return usageError(command, "which card-file?"), kUsage;
    // Never overwrite: a card-file that exists holds somebody's work. The name
    // is claimed first, in one step with the check, then filled.
    PathBuffer storage;
    Utf8View full = fullPath(path, storage);
    ErrorCode code = createNewFile(full);
    if (failed(code)) {
        printFileError(full, code == ErrorCode::AlreadyExists ? "already exists" : errorCodeText(code));
        return kFailure;
    }
    Card card;
    if (name) setTypedName(name, [&](Utf16View typed) { setCardName(card.document, typed); });
    if (saveCard(path, card)) return kSuccess;
    removeFile(full);  // the empty file we made holds nobody's work
    return kFailure;
}

struct AddReport {
    void report(Utf8View path, FileImport result, ErrorCode code) {
        if (result == FileImport::Failed) printFileError(path, importFailureReason(code));
        if (result == FileImport::LeftOut) printFileError(path, "left out: the card already holds 8 instruments");
        if (result == FileImport::Imported) ++imported;
        if (result == FileImport::LeftOut) ++leftOut;
    }
    uint32_t imported = 0;
    uint32_t leftOut = 0;
};

int runAdd(Arguments args, const UsbTransport&) {
    const Command& command = commandNamed("add");
    if (args.count < 2) return usageError(command, "which card-file, and which sample files?"), kUsage;
    Card card;
    if (!loadCard(args.values[0], card)) return kFailure;
    // Made absolute, so that "kick.wav" names its instrument "kick".
    static PathBuffer storage[256];
    Utf8View paths[256];
    uint32_t count = 0;
    for (int i = 1; i < args.count && count < 256; ++i, ++count) paths[count] = fullPath(args.values[i], storage[count]);
    AddReport report;
    FileImportReport hook = {&report, [](void* c, Utf8View path, FileImport result, ErrorCode code) {
                                 static_cast<AddReport*>(c)->report(path, result, code);
                             }};
    ImportFailures failures = {};
    failures.count = importFilesAsInstruments(card.document, paths, count, &hook);
    if (failures.count) {
        // Each file was named with its reason above; this is the count.
        WideBuffer<kImportFailureTextCapacity> text = {};
        buildImportFailureText(text, failures);
        fputs("corvane-cli: ", stderr);
        printText(stderr, text);
        fputc('\n', stderr);
    }
    if (report.imported && !saveCard(args.values[0], card)) return kFailure;
    // A file left out is work not done, as much as one that failed.
    return failures.count || report.leftOut ? kFailure : kSuccess;
}

// Trim Silence as the window's command: the outcome on standard output, or
// a warning when nothing in the span is loud enough to keep.
void trimInstrument(Instrument& instrument, double thresholdDb) {
    TrimOutcome outcome = trimSilence(instrument, static_cast<float>(thresholdDb));
    if (outcome.result == TrimResult::NothingLoud) {
        warn("nothing between start and end reaches %g dBFS: start and end stay", thresholdDb);
        return;
    }
    CostText text = {};
    buildTrimText(text, outcome, static_cast<float>(thresholdDb));
    printText(stdout, text);
    fputc('\n', stdout);
}

// Start and end moved to the nearest zero crossings of the sound as it plays.
bool snapInstrument(Instrument& instrument) {
    SampleBuffer preview = {}, envelope = {};
    ErrorCode code = prepareInstrumentPreview(instrument, preview, envelope);
    if (!failed(code)) {
        PlayedSpan span = snapPlayedSpan(preview.data, preview.count, {instrument.start, instrument.end});
        instrument.start = span.start;
        instrument.end = span.end;
    }
    releaseBuffer(preview);
    releaseBuffer(envelope);
    if (failed(code)) fprintf(stderr, "corvane-cli: %s\n", errorCodeText(code));
    return !failed(code);
}

int runSet(Arguments args, const UsbTransport&) {
    const Command& command = commandNamed("set");
    if (args.count < 2) return usageError(command, "which card-file and which instrument?"), kUsage;
    uint32_t position = 0;
    if (!parsePosition(command, args.values[1], position)) return kUsage;
    const char* name = nullptr;
    bool hasStart = false, hasEnd = false, hasDecay = false, hasBoost = false, hasDownsample = false;
    bool trim = false, hasThreshold = false, snap = false;
    uint32_t start = 0, end = 0;
    double decay = 0, boost = 0, thresholdDb = kDefaultTrimThresholdDb;
    const char* decayText = "";
    const char* boostText = "";
    bool downsample = false;
    for (int i = 2; i < args.count; ++i) {
        const char* option = args.values[i];
        if (argumentIs(option, "--trim")) {
            trim = true;
            continue;
        }
        if (argumentIs(option, "--snap")) {
            snap = true;
            continue;
        }
        if (i + 1 >= args.count) return usageError(command, "an option without its value"), kUsage;
        const char* value = args.values[++i];
        if (argumentIs(option, "--name")) {
            name = value;
        } else if (argumentIs(option, "--start")) {
            if (!(hasStart = parseUnsigned(value, start))) return usageError(command, "--start takes a sample index"), kUsage;
        } else if (argumentIs(option, "--end")) {
            if (!(hasEnd = parseUnsigned(value, end))) return usageError(command, "--end takes a sample index"), kUsage;
        } else if (argumentIs(option, "--decay")) {
            if (!(hasDecay = parseDecimal(value, decay))) return usageError(command, "--decay takes a number"), kUsage;
            decayText = value;
        } else if (argumentIs(option, "--boost")) {
            if (!(hasBoost = parseDecimal(value, boost))) return usageError(command, "--boost takes a number"), kUsage;
            boostText = value;
        } else if (argumentIs(option, "--downsample")) {
            hasDownsample = true;
            if (argumentIs(value, "on"))
                downsample = true;
            else if (argumentIs(value, "off"))
                downsample = false;
            else
                return usageError(command, "--downsample takes on or off"), kUsage;
        } else if (argumentIs(option, "--trim-threshold")) {
            if (!(hasThreshold = parseDecimal(value, thresholdDb)) || thresholdDb > 0)
                return usageError(command, "--trim-threshold takes a level in dBFS, 0 or below"), kUsage;
        } else {
            return usageError(command, "unknown option"), kUsage;
        }
    }
    if (hasThreshold && !trim) return usageError(command, "--trim-threshold goes with --trim"), kUsage;
    Card card;
    if (!loadCard(args.values[0], card)) return kFailure;
    uint32_t index = 0;
    if (!instrumentIndex(position, args.values[0], card, index)) return kFailure;
    Instrument& instrument = *instrumentAt(card.document, index);
    if (name) setTypedName(name, [&](Utf16View typed) { setInstrumentName(instrument, typed); });
    // The limits of the window's fields: end within start .. samples, start within 0 .. end.
    // Given both, the end is set first so that the start can move past the old end.
    // A value that had to change is told, so that a typo does not pass unseen.
    uint32_t samples = instrument.samples.count;
    if (hasEnd) {
        uint32_t lowest = hasStart ? 0 : instrument.start;
        instrument.end = end > samples ? samples : (end < lowest ? lowest : end);
        if (end > samples)
            warn("--end %u is beyond the sample's %u samples: the end is %u", end, samples, instrument.end);
        else if (instrument.end != end)
            warn("--end %u is before the start: the end is %u", end, instrument.end);
    }
    if (hasStart) {
        instrument.start = start > instrument.end ? instrument.end : start;
        if (instrument.start != start) warn("--start %u is beyond the end: the start is %u", start, instrument.start);
    }
    if (hasDecay) {
        instrument.decay = clampDecay(decay);
        if (instrument.decay != decay)
            warn("--decay %s is not a whole number from 1 to 255: the decay is %u", decayText, instrument.decay);
    }
    if (hasBoost) {
        instrument.boost = clampBoost(boost);
        if (instrument.boost != boost)
            warn("--boost %s is not a whole number of dB from 0 to 10: the boost is %u dB", boostText,
                 instrument.boost);
    }
    if (hasDownsample) instrument.downsample = downsample;
    // Trimmed first, so that the snap finds the crossings next to the sound's edges.
    if (trim) trimInstrument(instrument, thresholdDb);
    if (snap && !snapInstrument(instrument)) return kFailure;
    return saveCard(args.values[0], card) ? kSuccess : kFailure;
}

int runRemove(Arguments args, const UsbTransport&) {
    const Command& command = commandNamed("remove");
    if (args.count != 2) return usageError(command, "which card-file and which instrument?"), kUsage;
    uint32_t position = 0, index = 0;
    if (!parsePosition(command, args.values[1], position)) return kUsage;
    Card card;
    if (!loadCard(args.values[0], card)) return kFailure;
    if (!instrumentIndex(position, args.values[0], card, index)) return kFailure;
    removeInstrument(card.document, index);
    return saveCard(args.values[0], card) ? kSuccess : kFailure;
}

int runMove(Arguments args, const UsbTransport&) {
    const Command& command = commandNamed("move");
    if (args.count != 3) return usageError(command, "which card-file, from where and to where?"), kUsage;
    uint32_t fromPosition = 0, toPosition = 0, from = 0, to = 0;
    if (!parsePosition(command, args.values[1], fromPosition) || !parsePosition(command, args.values[2], toPosition))
        return kUsage;
    Card card;
    if (!loadCard(args.values[0], card)) return kFailure;
    if (!instrumentIndex(fromPosition, args.values[0], card, from) ||
        !instrumentIndex(toPosition, args.values[0], card, to))
        return kFailure;
    moveInstrument(card.document, from, to);
    return saveCard(args.values[0], card) ? kSuccess : kFailure;
}

void printNamePadded(const NameBuffer& name, uint32_t width) {
    printText(stdout, viewOf(name));
    uint32_t characters = 0;
    for (uint32_t i = 0; i < name.length; ++i) characters += (uint8_t(name.units[i]) & 0xC0) != 0x80;
    for (uint32_t i = characters; i < width; ++i) fputc(' ', stdout);
}

int runInfo(Arguments args, const UsbTransport&) {
    const Command& command = commandNamed("info");
    const char* path = nullptr;
    bool json = false;
    for (int i = 0; i < args.count; ++i) {
        if (argumentIs(args.values[i], "--json"))
            json = true;
        else if (!path && args.values[i][0] != '-')
            path = args.values[i];
        else
            return usageError(command, "unexpected argument"), kUsage;
    }
    if (!path) return usageError(command, "which card-file?"), kUsage;
    Card card;
    if (!loadCard(path, card)) return kFailure;
    CardDocument& d = card.document;
    MemoryText cardSize = {}, freeMemory = {};
    int32_t freeBytes = buildMemoryTexts(d, cardSize, freeMemory);
    if (json) {
        fputs("{\"name\": ", stdout);
        printJsonString(stdout, viewOf(d.name));
        fprintf(stdout, ", \"cardCode\": %u, \"usedBytes\": %u, \"freeBytes\": %d, \"instruments\": [", d.cardCode,
                d.usedBytes, freeBytes);
        for (uint32_t i = 0; i < d.instruments.count; ++i) {
            const Instrument& in = d.instruments.items[i];
            fputs(i ? ", {\"name\": " : "{\"name\": ", stdout);
            printJsonString(stdout, viewOf(in.name));
            fprintf(stdout,
                    ", \"samples\": %u, \"start\": %u, \"end\": %u, \"decay\": %u, \"boost\": %u, "
                    "\"downsample\": %s, \"footprint\": %u}",
                    in.samples.count, in.start, in.end, in.decay, in.boost, in.downsample ? "true" : "false",
                    instrumentFootprint(in));
        }
        fputs("]}\n", stdout);
        return kSuccess;
    }
    fputs("Card Name: ", stdout);
    printText(stdout, viewOf(d.name));
    fprintf(stdout, "\nCard Code: 0x%04X\n", d.cardCode);
    if (d.instruments.count)
        fputs("  #  Name       Samples    Start      End  Decay  Boost  Downsample  Footprint\n", stdout);
    for (uint32_t i = 0; i < d.instruments.count; ++i) {
        const Instrument& in = d.instruments.items[i];
        fprintf(stdout, "%3u  ", i + 1);
        printNamePadded(in.name, 8);
        fprintf(stdout, " %9u %8u %8u  %5u  %2u dB  %-10s  %6u Byte\n", in.samples.count, in.start, in.end, in.decay,
                in.boost, in.downsample ? "on" : "off", instrumentFootprint(in));
    }
    fputs("Card Size: ", stdout);
    printText(stdout, cardSize);
    fputs("\nFree Memory: ", stdout);
    printText(stdout, freeMemory);
    fputc('\n', stdout);
    return kSuccess;
}

int runImage(Arguments args, const UsbTransport&) {
    const Command& command = commandNamed("image");
    const char* positional[2] = {};
    int given = 0;
    bool dither = false;
    for (int i = 0; i < args.count; ++i) {
        if (argumentIs(args.values[i], "--dither"))
            dither = true;
        else if (given < 2 && args.values[i][0] != '-')
            positional[given++] = args.values[i];
        else
            return usageError(command, "unexpected argument"), kUsage;
    }
    if (given != 2) return usageError(command, "which card-file, and where should the image go?"), kUsage;
    Card card;
    if (!loadCard(positional[0], card)) return kFailure;
    uint8_t image[kCardCapacity];
    ErrorCode code = buildCardImage(card.document, image, kCardCapacity, dither);
    if (code == ErrorCode::BufferTooSmall) {
        fputs("corvane-cli: Too much data for the card\n", stderr);
        return kFailure;
    }
    if (failed(code)) {
        printFileError(viewOf(positional[0]), errorCodeText(code));
        return kFailure;
    }
    code = writeWholeFile(viewOf(positional[1]), image, kCardCapacity);
    if (failed(code)) {
        printFileError(viewOf(positional[1]), errorCodeText(code));
        return kFailure;
    }
    return kSuccess;
}

int runRender(Arguments args, const UsbTransport&) {
    const Command& command = commandNamed("render");
    const char* positional[3] = {};
    int given = 0;
    bool asCard = false, dither = false;
    for (int i = 0; i < args.count; ++i) {
        if (argumentIs(args.values[i], "--as-card"))
            asCard = true;
        else if (argumentIs(args.values[i], "--dither"))
            dither = true;
        else if (given < 3 && args.values[i][0] != '-')
            positional[given++] = args.values[i];
        else
            return usageError(command, "unexpected argument"), kUsage;
    }
    if (given != 3) return usageError(command, "which card-file, which instrument, which WAV file?"), kUsage;
    if (dither && !asCard) return usageError(command, "--dither goes with --as-card"), kUsage;
    uint32_t position = 0, index = 0;
    if (!parsePosition(command, positional[1], position)) return kUsage;
    Card card;
    if (!loadCard(positional[0], card)) return kFailure;
    if (!instrumentIndex(position, positional[0], card, index)) return kFailure;
    const Instrument& instrument = *instrumentAt(card.document, index);
    SampleBuffer preview = {}, envelope = {}, cardSound = {};
    ErrorCode code = prepareInstrumentPreview(instrument, preview, envelope);
    if (!failed(code) && asCard) code = prepareCardSound(instrument, envelope, cardSound, dither);
    if (!failed(code)) {
        const SampleBuffer& sound = asCard ? cardSound : preview;
        PlayedSpan span = clampPlayedSpan(instrument.start, instrument.end, sound.count);
        code = writeFloatWav(viewOf(positional[2]), sound.data + span.start, span.end - span.start,
                             kWorkingSampleRate);
    }
    releaseBuffer(preview);
    releaseBuffer(envelope);
    releaseBuffer(cardSound);
    if (failed(code)) {
        printFileError(viewOf(positional[2]), errorCodeText(code));
        return kFailure;
    }
    return kSuccess;
}

// One discovery pass.
void findWriters(const UsbTransport& usb, CardWriterList& list) {
    refreshCardWriterList(usb, list, silentWriterList(), false);
}

int runWriters(Arguments args, const UsbTransport& usb) {
    if (args.count != 0) return usageError(commandNamed("writers"), "no arguments expected"), kUsage;
    CardWriterList list = {};
    findWriters(usb, list);
    if (list.count == 0) fputs("No card writer is connected.\n", stdout);
    for (uint32_t i = 0; i < list.count; ++i) {
        Utf8Buffer<kDeviceLabelCapacity> label = {};
        deviceLabel(list.items[i], label);  // the text the window's writer list shows
        fprintf(stdout, "%u: ", i + 1);
        printText(stdout, viewOf(label));
        fputc('\n', stdout);
    }
    releaseWriterList(list);
    return kSuccess;
}

int runSend(Arguments args, const UsbTransport& usb) {
    const Command& command = commandNamed("send");
    const char* path = nullptr;
    uint32_t writer = 1, bank = 1;
    bool dither = false;
    for (int i = 0; i < args.count; ++i) {
        if (argumentIs(args.values[i], "--dither")) {
            dither = true;
        } else if (argumentIs(args.values[i], "--writer") || argumentIs(args.values[i], "--bank")) {
            bool isWriter = argumentIs(args.values[i], "--writer");
            if (++i >= args.count || !parseUnsigned(args.values[i], isWriter ? writer : bank))
                return usageError(command, isWriter ? "--writer takes a number from the list of writers"
                                                    : "--bank takes a bank number"),
                       kUsage;
        } else if (!path && args.values[i][0] != '-') {
            path = args.values[i];
        } else {
            return usageError(command, "unexpected argument"), kUsage;
        }
    }
    if (!path) return usageError(command, "which card-file?"), kUsage;
    if (bank < 1 || bank > 99) return usageError(command, "banks run from 1 to 99"), kUsage;
    Card card;
    if (!loadCard(path, card)) return kFailure;

    CardWriterList list = {};
    findWriters(usb, list);
    if (writer < 1 || writer > list.count) {
        if (list.count == 0)
            fputs("corvane-cli: no card writer is connected\n", stderr);
        else
            fprintf(stderr, "corvane-cli: there is no writer %u: %u connected (see corvane-cli writers)\n", writer,
                    list.count);
        releaseWriterList(list);
        return kFailure;
    }
    // A typo must never overwrite a bank the user did not name.
    uint32_t lastBank = list.items[writer - 1].bankCount;
    if (bank > lastBank) {
        char what[96];
        snprintf(what, sizeof what, "writer %u has banks 1 to %u", writer, lastBank);
        usageError(command, what);
        releaseWriterList(list);
        return kUsage;
    }
    TerminalTransfer terminal = {isTerminal(stderr), false, false, bank, int32_t(writer - 1), 0};
    TransferControls controls = terminalTransferControls(terminal);
    TransferJob job;
    initTransferJob(job, usb, controls);
    job.dither = dither;
    sendToCard(job, list, card.document);
    // A writer that cannot be opened ends the command before any transfer starts.
    if (!terminal.finished) fputs("corvane-cli: the card writer cannot be opened\n", stderr);
    bool success = terminal.finished && job.lastSucceeded;
    shutdownTransferJob(job);
    releaseWriterList(list);
    return success ? kSuccess : kFailure;
}

const Command kCommandTable[] = {
    {"new", "new CARD.vxcor [--name NAME]", "write an empty card-file",
     "The card is named NAME (default \"Corvane\"; at most 8 bytes are kept). An existing file is never\n"
     "overwritten.\n",
     runNew},
    {"add", "add CARD.vxcor SAMPLE...", "import WAV, AIFF or AIFC files as new instruments",
     "Each file becomes a new instrument at the end, named after the file, converted to 37908 Hz and\n"
     "normalised. A card holds 8 instruments: files beyond are left out. The exit status is 1 when\n"
     "any file failed or was left out; the files imported are kept all the same.\n",
     runAdd},
    {"set",
     "set CARD.vxcor INDEX [--name N] [--start S] [--end E] [--decay D] [--boost B] [--downsample on|off] "
     "[--trim [--trim-threshold DB]] [--snap]",
     "change an instrument",
     "INDEX counts from 1. Values are limited as in the window: start 0 .. end, end start .. the\n"
     "sample count, decay 1 .. 255 (units of 1024 samples), boost 0 .. 10 dB, names 8 bytes. A value\n"
     "that had to change is told on standard error.\n"
     "--trim moves the start to the first sample and the end behind the last sample between them\n"
     "whose level reaches DB dBFS (default -54), as the window's \"Trim Silence\", and tells the card\n"
     "bytes saved. --snap then moves the start and the end to the nearest zero crossing of the sound\n"
     "as it plays, at most 76 samples (2 ms) away, so that it starts and ends without a click.\n",
     runSet},
    {"remove", "remove CARD.vxcor INDEX", "remove an instrument", "", runRemove},
    {"move", "move CARD.vxcor FROM TO", "move an instrument", "The instrument at FROM ends up at position TO.\n",
     runMove},
    {"info", "info CARD.vxcor [--json]", "show the card and its instruments",
     "--json prints one object: name, cardCode, usedBytes, freeBytes and instruments (name, samples,\n"
     "start, end, decay, boost, downsample, footprint).\n",
     runInfo},
    {"image", "image CARD.vxcor OUT.bin [--dither]", "write the 65,536-byte card image",
     "--dither adds triangular dither before the samples go to 8 bits (the same card always gives\n"
     "the same bytes).\n",
     runImage},
    {"render", "render CARD.vxcor INDEX OUT.wav [--as-card [--dither]]", "write an instrument's preview as a WAV file",
     "The preview is what the window plays: boost and decay applied, from start to end, 37908 Hz mono\n"
     "32-bit float. --as-card renders it as the instrument will play it from the card: through the\n"
     "card's 8 bits (and its Tune 0 rate when downsampled), as the window's \"Hear as on the Card\";\n"
     "with --dither, the 8 bits of a card image made with --dither.\n",
     runRender},
    {"writers", "writers", "list the connected card writers", "", runWriters},
    {"send", "send CARD.vxcor [--writer N] [--bank B] [--dither]", "write the card to a card writer",
     "N is the writer's number in the list of writers (default 1), B the bank (default 1; a bank\n"
     "beyond the writer's last is refused with status 2). --dither sends the image as image --dither\n"
     "makes it. The exit status is 0 only on success.\n",
     runSend},
};
const Command kCommandEnd = {nullptr, nullptr, nullptr, nullptr, nullptr};

const Command& commandNamed(const char* name) {
    for (const Command& command : kCommandTable)
        if (argumentIs(command.name, name)) return command;
    return kCommandEnd;
}

void printProgramHelp(FILE* out) {
    fputs("corvane-cli: prepare sample cards for the Corvane card writer.\n\nusage:\n", out);
    for (const Command& command : kCommandTable) fprintf(out, "  corvane-cli %s\n", command.usage);
    fputs("\ncommands:\n", out);
    for (const Command& command : kCommandTable) fprintf(out, "  %-8s %s\n", command.name, command.summary);
    fputs("\ncorvane-cli COMMAND --help tells more about a command; corvane-cli --version gives the version.\n", out);
}

}  // namespace

int runCli(int argc, const char* const* argv, const UsbTransport& usb) {
    if (argc < 2) {
        printProgramHelp(stderr);
        return kUsage;
    }
    if (argumentIs(argv[1], "--help") || argumentIs(argv[1], "-h") || argumentIs(argv[1], "help")) {
        printProgramHelp(stdout);
        return kSuccess;
    }
    if (argumentIs(argv[1], "--version")) {
        fputs("corvane-cli " CORVANE_VERSION "\n", stdout);
        return kSuccess;
    }
    const Command& command = commandNamed(argv[1]);
    if (!command.name) {
        fprintf(stderr, "corvane-cli: unknown command '%s' (corvane-cli --help lists them)\n", argv[1]);
        return kUsage;
    }
    for (int i = 2; i < argc; ++i) {
        if (argumentIs(argv[i], "--help") || argumentIs(argv[i], "-h")) {
            fprintf(stdout, "usage: corvane-cli %s\n\n%s.\n", command.usage, command.summary);
            if (*command.details) fprintf(stdout, "\n%s", command.details);
            return kSuccess;
        }
    }
    return command.run(Arguments{argc - 2, argv + 2}, usb);
}
