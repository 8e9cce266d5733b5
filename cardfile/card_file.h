#pragma once
#include <cstdint>

#include "core/card_document.h"
#include "core/error_code.h"
#include "core/growable_buffers.h"
#include "core/text.h"

// The card-file: a little-endian project file holding one card document.
// "cvne", version 1, a 34-byte header, per instrument a 40-byte record and
// its float samples, then the trailer "envc".

constexpr uint32_t kCardFileMaxSize = 16u * 1024 * 1024;
constexpr uint32_t kCardFileHeaderBytes = 34;
constexpr uint32_t kCardFileRecordBytes = 40;
constexpr uint8_t kCardFileVersion = 1;

// Fills `document`, which the caller has just reset, from the file's bytes.
ErrorCode parseCardFile(const uint8_t* data, uint32_t size, CardDocument& document);

// Writes the document to the file at `path`, replacing it. The samples go to
// the file from the instruments' buffers, without another copy. On failure
// the file that was there is left byte for byte as it was.
ErrorCode writeCardFile(const CardDocument& document, Utf8View path);

struct SaveCalls;
// The same through another table of file calls (tests make its steps fail).
ErrorCode writeCardFile(const CardDocument& document, Utf8View path, const SaveCalls& calls);

// Reads the file at `path` into a freshly reset `document`. On failure the
// caller discards that document; its own stays as it was.
ErrorCode readCardFile(CardDocument& document, Utf8View path);
