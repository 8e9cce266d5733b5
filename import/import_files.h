#pragma once
#include <cstdint>

#include "core/card_document.h"
#include "core/error_code.h"
#include "core/text.h"

// What became of one file given to importFilesAsInstruments.
enum class FileImport : uint8_t { Imported, Failed, LeftOut };

struct FileImportReport {
    void* context;
    void (*report)(void* context, Utf8View path, FileImport result, ErrorCode code);
};

// Files dropped on the instrument list: while the card has fewer than eight
// instruments, each file gets a new instrument at the end and is imported
// into it; an instrument whose import fails is removed again. Files beyond
// the eighth instrument are left out. Returns the number that failed.
uint32_t importFilesAsInstruments(CardDocument& document, const Utf8View* paths, uint32_t count,
                                  const FileImportReport* report);
