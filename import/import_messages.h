#pragma once
#include <cstdint>

#include "core/error_code.h"
#include "core/text.h"

// What the user is told when sample files cannot be imported: the number of
// files, then each file's name with the reason, one to a line.

// The reason in words: "unsupported encoding", "the file was not found", ...
const char* importFailureReason(ErrorCode code);

constexpr uint32_t kImportFailureTextCapacity = 1024;
// Failures beyond this many are counted but not named.
constexpr uint32_t kNamedImportFailures = 8;

struct ImportFailures {
    uint32_t count;
    uint32_t named;
    WideBuffer<kImportFailureTextCapacity> lines;  // "kick.wav: unsupported encoding", a line each
};

// Counts the failure and, while there is room, names the file (the part of
// the path after its last folder) with the reason.
void noteImportFailure(ImportFailures& failures, Utf8View path, ErrorCode code);

// The same for a file left out because the card already holds eight instruments.
void noteLeftOutFile(ImportFailures& failures, Utf8View path);

// "The file couldn't be imported" or "<n> files couldn't be imported", an
// empty line, then the named files with their reasons and, when some were not
// named, "and <k> more".
void buildImportFailureText(WideBuffer<kImportFailureTextCapacity>& text, const ImportFailures& failures);
