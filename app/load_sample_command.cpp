#include "app/load_sample_command.h"

#include "import/import_files.h"
#include "import/import_sample.h"

static bool validSelection(const CardDocument& document, int32_t selection) {
    return selection >= 0 && uint32_t(selection) < document.instruments.count;
}

LoadSampleOutcome loadSampleCommand(CardDocument& document, int32_t selection, const UserDialogs& dialogs) {
    LoadSampleOutcome outcome = {false, EditKind::None, -1, selection};
    const bool into = validSelection(document, selection);
    if (!into && document.instruments.count >= kMaxInstruments) return outcome;
    ChosenFiles files;  // the paths are read only up to the count the dialog gives
    files.count = files.beyond = 0;
    if (!dialogs.chooseSampleFiles(dialogs.context, files) || files.count == 0) return outcome;
    uint32_t count = files.count < kChosenFilesCapacity ? files.count : kChosenFilesCapacity;
    // Checked again: the window handled messages while the dialog was open.
    if (into && !validSelection(document, selection)) return outcome;
    outcome.chosen = true;

    ImportFailures failures = {};
    const bool wasModified = document.modified;
    bool loadedInto = false;
    uint32_t first = 0;
    if (into) {
        ErrorCode code = importSample(*instrumentAt(document, uint32_t(selection)), viewOf(files.paths[0]));
        if (failed(code)) {
            noteImportFailure(failures, viewOf(files.paths[0]), code);
        } else {
            loadedInto = true;
            document.modified = true;  // a new sample is unsaved work like any other edit
        }
        first = 1;
    }
    const uint32_t before = document.instruments.count;
    Utf8View paths[kChosenFilesCapacity];
    for (uint32_t i = first; i < count; ++i) paths[i - first] = viewOf(files.paths[i]);
    FileImportReport report = {&failures, [](void* context, Utf8View path, FileImport result, ErrorCode code) {
                                   auto& noted = *static_cast<ImportFailures*>(context);
                                   if (result == FileImport::Failed) noteImportFailure(noted, path, code);
                                   if (result == FileImport::LeftOut) noteLeftOutFile(noted, path);
                               }};
    importFilesAsInstruments(document, paths, count - first, &report);
    failures.count += files.beyond;  // not even named by the dialog: counted with the rest
    showImportFailures(dialogs, failures);

    const uint32_t added = document.instruments.count - before;
    outcome.edit = added ? EditKind::AddSamples : loadedInto ? EditKind::LoadSample : EditKind::None;
    // Instruments added for files that then failed were removed again: the card is as it was.
    if (outcome.edit == EditKind::None) document.modified = wasModified;
    outcome.where = into ? selection : -1;
    if (!loadedInto && added) outcome.selection = int32_t(before);
    return outcome;
}

void showImportFailures(const UserDialogs& dialogs, const ImportFailures& failures) {
    if (failures.count == 0) return;
    WideBuffer<kImportFailureTextCapacity> text;
    buildImportFailureText(text, failures);
    dialogs.showError(dialogs.context, viewOf(text));
}
