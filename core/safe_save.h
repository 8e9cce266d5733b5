#pragma once
#include <cstdint>

#include "core/error_code.h"
#include "core/file_io.h"
#include "core/file_stream.h"
#include "core/text.h"

// A save that never loses the file it replaces: the new contents go to a
// temporary file in the same folder, are flushed to the disk, and only then
// take the old file's place in one step. Until that step the old file is
// not touched; on any failure before it, the temporary file is removed.

// What a save needs to know of the file it replaces.
struct SaveTarget {
    bool exists;
    bool readOnly;
    uint32_t mode;    // POSIX permissions, given to the new file
    PathBuffer path;  // the file really replaced (a symbolic link's target)
};

// The system calls of a save, as a table: the program uses the system's own
// (systemSaveCalls, in the _posix and _win files); tests wrap them to make
// any one step fail.
struct SaveCalls {
    void* context;
    ErrorCode (*inspect)(void* context, Utf8View path, SaveTarget& target);
    // Creates a new file, failing with AlreadyExists when the name is taken.
    ErrorCode (*create)(void* context, Utf8View path, const SaveTarget& like, intptr_t& handle);
    // Writes at most `size` bytes; `written` says how many went.
    ErrorCode (*write)(void* context, intptr_t handle, const uint8_t* data, uint32_t size, uint32_t& written);
    ErrorCode (*flush)(void* context, intptr_t handle);
    ErrorCode (*close)(void* context, intptr_t handle);
    // Puts the temporary file in the target's place in one step. `busy`: the
    // system refused because another program holds the file for a moment
    // (a virus scanner, a sync tool), so another try may succeed.
    ErrorCode (*replace)(void* context, Utf8View temporary, const SaveTarget& target, bool& busy);
    ErrorCode (*remove)(void* context, Utf8View path);
    // Makes the new name itself durable. Nothing to report: once replaced,
    // the folder holds a complete file under the name whatever happens.
    void (*syncFolder)(void* context, Utf8View path);
    void (*pause)(void* context, uint32_t milliseconds);
};

const SaveCalls& systemSaveCalls();

// A busy replace is tried this many times, this far apart: about 250 ms in all.
constexpr uint32_t kReplaceAttempts = 11;
constexpr uint32_t kReplacePauseMs = 25;

// Saves the pieces, one after another, as the file at `path`. A read-only
// file is refused with AccessDenied and left alone.
ErrorCode saveFilePieces(const SaveCalls& calls, Utf8View path, const FilePiece* pieces, uint32_t count);
