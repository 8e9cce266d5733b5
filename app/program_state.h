#pragma once
#include "app/card_file_commands.h"
#include "audio/preview_player.h"
#include "core/card_document.h"
#include "core/card_history.h"
#include "core/growable_buffers.h"
#include "transfer/transfer_job.h"
#include "transfer/writer_discovery.h"

// The program-wide objects. All belong to the user-interface thread, except
// what the transfer worker and the audio output read while they run.
extern CardDocument cardDocument;
extern CardFileCommands cardFileCommands;  // the card-file's path and the save question
extern CardHistory cardHistory;            // Undo and Redo
// The selected instrument as previewed: boosted and faded copy, and its fade.
// Lent to the waveform view and the player, which never free them; a new
// version of a sound is built aside while the last one may still play.
extern PreviewSound previewSamples;
extern SampleBuffer previewEnvelope;
// "Hear as on the Card": while on, the preview plays previewCardSound, the
// selected instrument as the card will hold it; the view still draws
// previewSamples. Both have one sample per instrument sample.
extern bool hearAsOnCard;
extern PreviewSound previewCardSound;
// The Edit menu's options, remembered: a released marker or a committed Start
// or End goes to the nearest zero crossing; the card's 8 bits are dithered
// (Send to Card and "Hear as on the Card").
extern bool snapMarkers;
extern bool ditherCardBits;
extern PreviewPlayer previewPlayer;
extern CardWriterList cardWriterList;
extern TransferJob transferJob;

// At exit, in this order: the transfer (its worker may still use the
// connection), the writer list, the audio output and the preview buffers,
// the document.
void releaseProgramState();
