#include "import/import_files.h"

#include "import/import_sample.h"

uint32_t importFilesAsInstruments(CardDocument& document, const Utf8View* paths, uint32_t count,
                                  const FileImportReport* report) {
    uint32_t failedCount = 0;
    for (uint32_t i = 0; i < count; ++i) {
        FileImport result = FileImport::LeftOut;
        ErrorCode code = ErrorCode::Ok;
        if (document.instruments.count < kMaxInstruments) {
            uint32_t index = document.instruments.count;
            Instrument* instrument = insertInstrument(document, index);
            if (!instrument) {
                code = ErrorCode::OutOfMemory;
            } else {
                document.modified = true;
                code = importSample(*instrument, paths[i]);
            }
            if (failed(code)) {
                removeInstrument(document, index);
                ++failedCount;
                result = FileImport::Failed;
            } else {
                result = FileImport::Imported;
            }
        }
        if (report && report->report) report->report(report->context, paths[i], result, code);
    }
    return failedCount;
}
