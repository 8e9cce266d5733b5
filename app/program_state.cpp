#include "app/program_state.h"

CardDocument cardDocument = {};
CardFileCommands cardFileCommands = {};
SampleBuffer previewSamples = {};
SampleBuffer previewEnvelope = {};
bool hearAsOnCard = false;
SampleBuffer previewCardSound = {};
PreviewPlayer previewPlayer = {};
CardWriterList cardWriterList = {};
TransferJob transferJob;

void releaseProgramState() {
    // A job never started (no window) has no controls and nothing to end.
    if (transferJob.controls) shutdownTransferJob(transferJob);
    releaseWriterList(cardWriterList);
    shutdownAudioOutput(previewPlayer);
    releaseBuffer(previewSamples);
    releaseBuffer(previewEnvelope);
    releaseBuffer(previewCardSound);
    releaseDocument(cardDocument);
}
