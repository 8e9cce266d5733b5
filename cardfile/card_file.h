#pragma once
#include <cstdint>

#include "core/byte_cursor.h"
#include "core/card_document.h"
#include "core/error_code.h"
#include "core/growable_buffers.h"
#include "core/text.h"

// The card-file: a little-endian project file holding one card document.
// "cvne", version 1, a 34-byte header, per instrument a 40-byte record and
// its float samples, then the trailer "envc".

constexpr uint32_t kCardFileHeaderBytes = 34;
constexpr uint32_t kCardFileRecordBytes = 40;
constexpr uint32_t kCardFileTrailerBytes = 4;
constexpr uint8_t kCardFileVersion = 1;
// The largest card-file the program writes: eight instruments of the most
// samples one may hold. A larger file is refused unread.
constexpr uint64_t kCardFileMaxSize =
    kCardFileHeaderBytes + kCardFileTrailerBytes + kMaxInstruments * (kCardFileRecordBytes + 4ull * kMaxInstrumentSamples);
static_assert(kCardFileMaxSize <= UINT32_MAX, "file sizes are 32-bit");

// Fills `document`, which the caller has just reset, from the file's bytes:
// from memory, or through a cursor that reads a file block by block, the
// samples straight into the instruments.
ErrorCode parseCardFile(const uint8_t* data, uint32_t size, CardDocument& document);
ErrorCode parseCardFile(ByteCursor& cursor, CardDocument& document);

// Writes the document to the file at `path`, replacing it. The samples go to
// the file from the instruments' buffers, without another copy. On failure
// the file that was there is left byte for byte as it was. An instrument
// beyond the samples one may hold gives TooLarge: no file is written that
// could not be read again.
ErrorCode writeCardFile(const CardDocument& document, Utf8View path);

struct SaveCalls;
// The same through another table of file calls (tests make its steps fail).
ErrorCode writeCardFile(const CardDocument& document, Utf8View path, const SaveCalls& calls);

// Reads the file at `path` into a freshly reset `document`, never holding
// the file whole: memory stays near the size of the document. On failure the
// caller discards that document; its own stays as it was.
ErrorCode readCardFile(CardDocument& document, Utf8View path);
