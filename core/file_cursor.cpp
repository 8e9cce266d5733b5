#include "core/file_cursor.h"

static ErrorCode readFromFile(void* source, uint64_t offset, uint8_t* into, uint32_t count) {
    return readFileAt(*static_cast<const ReadableFile*>(source), offset, into, count);
}

ErrorCode openFileCursor(Utf8View path, uint32_t maxSize, uint32_t blockBytes, FileCursor& opened) {
    opened = {};
    ErrorCode code = openReadableFile(path, maxSize, opened.file);
    if (failed(code)) return code;
    opened.window.source = &opened.file;
    opened.window.read = readFromFile;
    opened.window.blockBytes = blockBytes;
    opened.cursor = makeWindowCursor(opened.window, opened.file.size);
    return ErrorCode::Ok;
}

ErrorCode fileCursorResult(const FileCursor& opened, ErrorCode code) {
    return failed(opened.window.error) ? opened.window.error : code;
}

void closeFileCursor(FileCursor& opened) {
    closeReadableFile(opened.file);
    releaseWindow(opened.window);
}
