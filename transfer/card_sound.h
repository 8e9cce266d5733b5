#pragma once
#include "core/card_document.h"
#include "core/error_code.h"
#include "core/growable_buffers.h"

// "Hear as on the card": the instrument's played span as the card holds it
// (boosted, converted to the Tune 0 rate when downsampled, 8-bit), decoded
// and brought back to the working rate, with the preview's decay envelope.
// `output` gets one sample per instrument sample, like the preview, so that
// positions and the playhead agree; outside the played span it is silent.
// `envelope` is the preview's (prepareInstrumentPreview), of the same count.
// Its storage is kept when large enough, so a playing preview can be
// rewritten in place. `dither` as for buildCardImage: the bytes are those
// the card holds when it is built with the same choice.
ErrorCode prepareCardSound(const Instrument& instrument, const SampleBuffer& envelope, SampleBuffer& output,
                           bool dither = false);
