#include "app/file_drop_win.h"

#include <shellapi.h>

#include "app/edit_history_win.h"
#include "app/load_sample_command.h"
#include "app/main_refresh_win.h"
#include "app/main_window_win.h"
#include "app/program_state.h"
#include "core/text_win.h"
#include "import/import_files.h"

constexpr uint32_t kDroppedNameCapacity = 1024;
constexpr UINT kAllFiles = 0xFFFFFFFF;

// The dropped file's path as UTF-8; false when it cannot be read whole.
static bool droppedPath(HDROP drop, UINT index, PathBuffer& path) {
    WideBuffer<kDroppedNameCapacity> name = {};
    UINT length = DragQueryFileW(drop, index, wideChars(name), kDroppedNameCapacity);
    if (length == 0 || length >= kDroppedNameCapacity) return false;
    name.length = length;
    clearText(path);
    appendUtf16AsUtf8(path, viewOf(name));
    // Room left for one more character: nothing was cut.
    return path.length + 4 <= PathBuffer::capacity;
}

static bool isOnInstrumentList(HWND window, POINT point) {
    HWND list = controlWindow(Control::InstrumentList);
    RECT area;
    if (!list || !GetClientRect(list, &area)) return false;
    MapWindowPoints(list, window, reinterpret_cast<POINT*>(&area), 2);
    return PtInRect(&area, point) != FALSE;
}

// Each file becomes an instrument at the end while the card has room; a file
// that fails leaves none behind and is noted with its reason.
static void importDroppedSamples(HDROP drop, ImportFailures& failures) {
    FileImportReport report = {&failures, [](void* context, Utf8View path, FileImport result, ErrorCode code) {
                                   if (result == FileImport::Failed)
                                       noteImportFailure(*static_cast<ImportFailures*>(context), path, code);
                               }};
    UINT files = DragQueryFileW(drop, kAllFiles, nullptr, 0);
    for (UINT i = 0; i < files && cardDocument.instruments.count < kMaxInstruments; ++i) {
        PathBuffer path;
        if (!droppedPath(drop, i, path)) {
            noteImportFailure(failures, viewOf(""), ErrorCode::InvalidArgument);
            continue;
        }
        Utf8View view = viewOf(path);
        importFilesAsInstruments(cardDocument, &view, 1, &report);
    }
}

void onDropFiles(HWND window, HDROP drop) {
    POINT point;
    // While a command's modal dialog is open (the window is disabled then),
    // that command still works on the card.
    bool accepted = DragQueryPoint(drop, &point) && IsWindowEnabled(window) && !cardFileCommands.dialogOpen;
    if (accepted && isOnInstrumentList(window, point)) {
        recordTypedName();
        ImportFailures failures = {};
        int32_t before = mainWindow.shownInstrument;
        importDroppedSamples(drop, failures);
        DragFinish(drop);
        int32_t last = int32_t(cardDocument.instruments.count) - 1;
        refreshAndSelect(last);
        recordCardEdit(EditKind::AddSamples, before, last);
        showImportFailures(mainWindow.dialogs, failures);
        return;
    }
    PathBuffer path;
    bool haveCardFile = accepted && droppedPath(drop, 0, path);
    DragFinish(drop);
    if (haveCardFile) openDroppedCard(cardFileCommands, viewOf(path));
}
