#pragma once
#include <cstdint>

#include "core/error_code.h"
#include "core/growable_buffers.h"
#include "core/text.h"

// Whole-file reads and writes (file_stream.h reads and writes in pieces).
// Paths are UTF-8; the Windows build hands them to the system as UTF-16.

// Reads the whole file into `contents` (which it sizes). A file larger than
// `maxSize` gives TooLarge without being read. An empty path gives InvalidArgument.
ErrorCode readWholeFile(Utf8View path, uint32_t maxSize, ByteBuffer& contents);

// Creates or replaces the file and writes the bytes with one write call.
ErrorCode writeWholeFile(Utf8View path, const uint8_t* data, uint32_t size);

// Creates an empty file, failing with AlreadyExists when the name is taken:
// claiming the name and checking for it are one step, so nothing is overwritten.
ErrorCode createNewFile(Utf8View path);

// Removes the file (to undo a createNewFile whose content could not be written).
ErrorCode removeFile(Utf8View path);

// Longest path the file layer handles, in UTF-8 bytes.
constexpr uint32_t kMaxPathBytes = 1024;
using PathBuffer = Utf8Buffer<kMaxPathBytes>;

// The path made absolute against the current folder ("kick.wav" becomes
// "/home/me/kick.wav"), so the file's name can be taken from it. The file
// itself need not exist.
ErrorCode absolutePath(Utf8View path, PathBuffer& full);
