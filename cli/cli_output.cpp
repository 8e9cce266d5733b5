#include "cli/cli_output.h"

void printText(FILE* out, Utf8View text) {
    if (text.length) fwrite(text.units, 1, text.length, out);
}

// The length of the valid UTF-8 sequence at `at`, or 0.
static uint32_t validSequence(Utf8View text, uint32_t at) {
    uint8_t lead = static_cast<uint8_t>(text.units[at]);
    uint32_t extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : 99;
    if (extra == 99 || (lead >= 0xC0 && lead < 0xC2) || lead > 0xF4 || extra > text.length - at - 1) return 0;
    for (uint32_t k = 1; k <= extra; ++k)
        if ((static_cast<uint8_t>(text.units[at + k]) & 0xC0) != 0x80) return 0;
    return extra + 1;
}

void printJsonString(FILE* out, Utf8View text) {
    fputc('"', out);
    for (uint32_t i = 0; i < text.length;) {
        uint8_t c = static_cast<uint8_t>(text.units[i]);
        uint32_t size = validSequence(text, i);
        if (size == 0) {
            fputs("\\ufffd", out);
            ++i;
        } else if (c == '"' || c == '\\') {
            fputc('\\', out);
            fputc(c, out);
            ++i;
        } else if (c < 0x20) {
            fprintf(out, "\\u%04x", c);
            ++i;
        } else {
            fwrite(text.units + i, 1, size, out);
            i += size;
        }
    }
    fputc('"', out);
}

void printFileError(Utf8View file, const char* what) {
    fputs("corvane-cli: ", stderr);
    printText(stderr, file);
    fprintf(stderr, ": %s\n", what);
}

const char* errorCodeText(ErrorCode code) {
    switch (code) {
    case ErrorCode::Ok: return "no error";
    case ErrorCode::InvalidArgument: return "invalid argument";
    case ErrorCode::OutOfMemory: return "not enough memory";
    case ErrorCode::BufferTooSmall: return "does not fit";
    case ErrorCode::Incomplete: return "incomplete";
    case ErrorCode::BadResponse: return "the device gave an unexpected answer";
    case ErrorCode::AccessDenied: return "access denied";
    case ErrorCode::NotSupported: return "not supported";
    case ErrorCode::InvalidFormat: return "not in a format this program reads";
    case ErrorCode::NoDevice: return "no device";
    case ErrorCode::NotReady: return "the device is not ready";
    case ErrorCode::DeviceGone: return "the device is no longer there";
    case ErrorCode::CannotOpen: return "cannot be opened";
    case ErrorCode::NotFound: return "no such file or folder";
    case ErrorCode::AlreadyExists: return "already exists";
    case ErrorCode::TooLarge: return "too large";
    case ErrorCode::DiskFull: return "the disk is full";
    case ErrorCode::BrokenPipe: return "the connection broke";
    case ErrorCode::Timeout: return "timed out";
    case ErrorCode::Aborted: return "aborted";
    case ErrorCode::DataError: return "data error";
    case ErrorCode::TooNew: return "made by a newer version of the program";
    case ErrorCode::UnsupportedEncoding: return "unsupported encoding";
    case ErrorCode::TooLong: return "too long";
    default: return "failed";
    }
}
