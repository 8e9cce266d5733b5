#include "app/program_state.h"

CardDocument cardDocument = {};
CardFileCommands cardFileCommands = {};
CardHistory cardHistory = {};
PreviewSound previewSamples = {};
SampleBuffer previewEnvelope = {};
bool hearAsOnCard = false;
bool snapMarkers = false;
bool ditherCardBits = false;
PreviewSound previewCardSound = {};
PreviewPlayer previewPlayer = {};
CardWriterList cardWriterList = {};
TransferJob transferJob;

void releaseProgramState() {
    // A job never started (no window) has no controls and nothing to end.
    if (transferJob.controls) shutdownTransferJob(transferJob);
    releaseWriterList(cardWriterList);
    shutdownAudioOutput(previewPlayer);
    releaseSound(previewSamples);
    releaseBuffer(previewEnvelope);
    releaseSound(previewCardSound);
    releaseHistory(cardHistory);
    releaseDocument(cardDocument);
}
