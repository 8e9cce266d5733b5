#include "app/edit_options_win.h"

#include <windows.h>

#include "app/edit_history_win.h"
#include "app/main_commands_win.h"
#include "app/main_refresh_win.h"
#include "app/main_window_win.h"
#include "app/program_state.h"
#include "app/remembered_options_win.h"
#include "app/resource_ids.h"
#include "core/memory_text.h"
#include "core/text_win.h"
#include "core/trim_silence.h"
#include "import/zero_crossing.h"

static void showCheck(UINT command, bool on) {
    if (HMENU menu = mainWindow.window ? GetMenu(mainWindow.window) : nullptr)
        CheckMenuItem(menu, command, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void loadEditOptions() {
    snapMarkers = readOption(kSnapMarkersValue);
    ditherCardBits = readOption(kDitherCardValue);
    transferJob.dither = ditherCardBits;
    showCheck(kCommandSnapMarkers, snapMarkers);
    showCheck(kCommandDitherCard, ditherCardBits);
}

void toggleSnapMarkers() {
    snapMarkers = !snapMarkers;
    rememberOption(kSnapMarkersValue, snapMarkers);
    showCheck(kCommandSnapMarkers, snapMarkers);
}

// The card's sound, heard and sent, follows at once.
void toggleDitherCard() {
    ditherCardBits = !ditherCardBits;
    transferJob.dither = ditherCardBits;
    rememberOption(kDitherCardValue, ditherCardBits);
    showCheck(kCommandDitherCard, ditherCardBits);
    if (const Instrument* instrument = shownInstrument()) showPreview(*instrument);
}

// Near the start the sound plays at full gain, so its crossings are those of
// the instrument's own samples (the boost keeps every sign); near the end the
// preview counts, whose fade may already have reached silence there.
// A span that played something keeps at least one sample.
uint32_t snapMarker(const Instrument& instrument, bool start, uint32_t position) {
    if (!snapMarkers) return position;
    if (start) {
        uint32_t highest = instrument.end > 0 && position < instrument.end ? instrument.end - 1 : instrument.end;
        return snapToZeroCrossing(instrument.samples.data, instrument.samples.count, position, 0, highest);
    }
    const SampleBuffer& preview = publishedSound(previewSamples);
    if (preview.count != instrument.samples.count) return position;  // not yet built for it
    uint32_t lowest = position > instrument.start ? instrument.start + 1 : instrument.start;
    return snapToZeroCrossing(preview.data, preview.count, position, lowest, instrument.samples.count);
}

void trimShownInstrument() {
    commitTypedPositions();
    recordTypedName();
    Instrument* instrument = shownInstrument();
    if (!instrument) return;
    int32_t shown = mainWindow.shownInstrument;
    TrimOutcome outcome = trimSilence(*instrument, kDefaultTrimThresholdDb);
    if (outcome.result == TrimResult::Trimmed) {
        showInstrument(shown);
        updateMemoryDisplay();
        recordCardEdit(EditKind::TrimSilence, shown, shown);
    }
    CostText text = {};
    buildTrimText(text, outcome, kDefaultTrimThresholdDb);
    terminateTextCutting(text);
    showEditingStatus(wideChars(text), true);
}
