#include "app/load_sample_command.h"

#include "import/import_sample.h"

static bool validSelection(const CardDocument& document, int32_t selection) {
    return selection >= 0 && uint32_t(selection) < document.instruments.count;
}

bool loadSampleCommand(CardDocument& document, int32_t selection, const UserDialogs& dialogs) {
    if (!validSelection(document, selection)) return false;
    PathBuffer path = {};
    if (!dialogs.chooseFileToOpen(dialogs.context, FileKind::Sample, path) || path.length == 0) return false;
    // Checked again: the window handled messages while the dialog was open.
    if (!validSelection(document, selection)) return false;
    ErrorCode code = importSample(*instrumentAt(document, uint32_t(selection)), viewOf(path));
    if (failed(code)) {
        ImportFailures failures = {};
        noteImportFailure(failures, viewOf(path), code);
        showImportFailures(dialogs, failures);
    } else {
        document.modified = true;  // a new sample is unsaved work like any other edit
    }
    return true;
}

void showImportFailures(const UserDialogs& dialogs, const ImportFailures& failures) {
    if (failures.count == 0) return;
    WideBuffer<kImportFailureTextCapacity> text;
    buildImportFailureText(text, failures);
    dialogs.showError(dialogs.context, viewOf(text));
}
