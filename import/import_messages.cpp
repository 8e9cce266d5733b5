#include "import/import_messages.h"

#include "core/card_document.h"
#include "import/decoded_sample.h"
#include "import/import_sample.h"

static_assert(kMinImportSampleRate == 4000, "the reason below names the lowest rate");
static_assert(kMaxSampleFileSize == 16u * 1024 * 1024, "the reason below names the largest sample file");
static_assert(kMaxInstrumentSamples == 16777216 && kWorkingSampleRate == 37908,
              "the reason below names the longest sound: 16777216 / 37908 Hz = 7 min 22.6 s");

const char* importFailureReason(ErrorCode code) {
    switch (code) {
    case ErrorCode::InvalidFormat: return "not a WAV, AIFF or AIFC file this program can read";
    case ErrorCode::UnsupportedEncoding:
        return "unsupported encoding (the program reads PCM, float, A-law and \xC2\xB5-law samples)";
    case ErrorCode::BufferTooSmall: return "the file ends before its samples do";
    case ErrorCode::TooLarge: return "larger than the 16 MiB a sample file may have";
    case ErrorCode::TooLong: return "longer than the 7 minutes 22 seconds an instrument may hold";
    case ErrorCode::NotSupported: return "its sample rate is below 4000 Hz, the lowest this program converts from";
    case ErrorCode::NotFound: return "the file was not found";
    case ErrorCode::AccessDenied: return "access to the file is denied";
    case ErrorCode::CannotOpen: return "it cannot be opened as a file";
    case ErrorCode::Incomplete: return "the file became shorter while it was read";
    case ErrorCode::OutOfMemory: return "not enough memory";
    case ErrorCode::InvalidArgument: return "its name is too long or not valid";
    default: return "the file cannot be read";
    }
}

// The file's name with its extension: what follows the last folder separator.
static Utf8View fileName(Utf8View path) {
    for (uint32_t i = path.length; i > 0; --i)
        if (path.units[i - 1] == kPathSeparator || path.units[i - 1] == '/')
            return {path.units + i, path.length - i};
    return path;
}

// Room kept behind the named files for the first line and "and <n> more".
constexpr uint32_t kRoomForTheRest = 96;

static void noteFile(ImportFailures& failures, Utf8View path, const char* reason) {
    ++failures.count;
    if (failures.named >= kNamedImportFailures) return;
    WideBuffer<kImportFailureTextCapacity> line = {};
    if (failures.lines.length) appendText(line, viewOf(u"\n"));
    Utf8View name = fileName(path);
    appendUtf8AsUtf16(line, name.length ? name : viewOf("a file"));
    appendText(line, viewOf(u": "));
    appendUtf8AsUtf16(line, viewOf(reason));
    // A line is named whole or not at all (very long names): never cut in the middle.
    if (failures.lines.length + line.length + kRoomForTheRest > kImportFailureTextCapacity) return;
    appendText(failures.lines, viewOf(line));
    ++failures.named;
}

void noteImportFailure(ImportFailures& failures, Utf8View path, ErrorCode code) {
    noteFile(failures, path, importFailureReason(code));
}

static_assert(kMaxInstruments == 8, "the reason below names the most instruments a card holds");

void noteLeftOutFile(ImportFailures& failures, Utf8View path) {
    noteFile(failures, path, "left out: the card already holds 8 instruments");
}

void buildImportFailureText(WideBuffer<kImportFailureTextCapacity>& text, const ImportFailures& failures) {
    clearText(text);
    if (failures.count == 1) {
        appendText(text, viewOf(u"The file"));
    } else {
        appendUnsigned(text, failures.count);
        appendText(text, viewOf(u" files"));
    }
    appendText(text, viewOf(u" couldn't be imported"));
    if (failures.named == 0) return;
    appendText(text, viewOf(u"\n\n"));
    appendText(text, viewOf(failures.lines));
    if (failures.count > failures.named) {
        appendText(text, viewOf(u"\nand "));
        appendUnsigned(text, failures.count - failures.named);
        appendText(text, viewOf(u" more"));
    }
}
