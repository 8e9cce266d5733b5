#include "app/main_refresh_win.h"

#include <windows.h>

#include <commctrl.h>

#include <initializer_list>
#include <iterator>

#include "app/main_window_win.h"
#include "app/program_state.h"
#include "app/resource_ids.h"
#include "audio/preview_player.h"
#include "controls/rotary_knob_win.h"
#include "controls/waveform_view_win.h"
#include "core/memory_text.h"
#include "core/text_win.h"
#include "import/sample_processing.h"
#include "transfer/card_sound.h"

constexpr uint32_t kNameTextCapacity = 32;
constexpr COLORREF kOverfullColour = RGB(255, 0, 0);
constexpr LPARAM kNoMarker = LPARAM(0xFFFFFFFF);
constexpr WPARAM kStartMarker = 0;
constexpr WPARAM kEndMarker = 1;

UpdatingControls::UpdatingControls() : previous(mainWindow.updatingControls) { mainWindow.updatingControls = true; }
UpdatingControls::~UpdatingControls() { mainWindow.updatingControls = previous; }

int32_t listSelection() {
    LRESULT selected = SendMessageW(controlWindow(Control::InstrumentList), LB_GETCURSEL, 0, 0);
    return selected == LB_ERR ? -1 : int32_t(selected);
}

Instrument* selectedInstrument() {
    int32_t selected = listSelection();
    if (selected < 0 || uint32_t(selected) >= cardDocument.instruments.count) return nullptr;
    return instrumentAt(cardDocument, uint32_t(selected));
}

Instrument* shownInstrument() {
    int32_t shown = mainWindow.shownInstrument;
    if (shown < 0 || uint32_t(shown) >= cardDocument.instruments.count) return nullptr;
    return instrumentAt(cardDocument, uint32_t(shown));
}

static void setNameText(HWND window, const NameBuffer& name) {
    WideBuffer<kNameTextCapacity> text = {};
    appendUtf8AsUtf16(text, viewOf(name));
    terminateTextCutting(text);
    SetWindowTextW(window, wideChars(text));
}

void updateWindowTitle() {
    WindowTitle title = {};
    buildWindowTitle(title, viewOf(applicationTitle), viewOf(cardFileCommands.currentPath), cardDocument.modified);
    terminateTextCutting(title);
    SetWindowTextW(mainWindow.window, wideChars(title));
}

void showEditingStatus(const wchar_t* text, bool asked) {
    if (transferJob.busy) return;  // its progress has the line
    HWND status = controlWindow(Control::StatusText);
    wchar_t shown[64] = {};
    GetWindowTextW(status, shown, int(std::size(shown)));
    if (!asked && lstrcmpW(shown, L"Idle") != 0 && lstrcmpW(shown, mainWindow.editingStatus) != 0) return;
    lstrcpynW(mainWindow.editingStatus, text, int(std::size(mainWindow.editingStatus)));
    SetWindowTextW(status, mainWindow.editingStatus);
}

// The shown instrument's bytes on the card, beside its other settings (empty
// without one), and in the status line what Downsample would save.
static void updateInstrumentCost() {
    MemoryText cost = {};
    const Instrument* instrument = shownInstrument();
    if (instrument) buildFootprintText(cost, *instrument);
    terminateTextCutting(cost);
    SetWindowTextW(controlWindow(Control::InstrumentCostValue), wideChars(cost));
    if (!instrument) return;
    CostText downsample = {};
    buildDownsampleText(downsample, *instrument);
    terminateTextCutting(downsample);
    showEditingStatus(wideChars(downsample), false);
}

void updateMemoryDisplay() {
    updateInstrumentCost();
    MemoryText cardSize = {}, freeMemory = {};
    int32_t free = buildMemoryTexts(cardDocument, cardSize, freeMemory);
    terminateTextCutting(cardSize);
    terminateTextCutting(freeMemory);
    SetWindowTextW(controlWindow(Control::CardSizeValue), wideChars(cardSize));
    // The colour first: the repaint that the new text causes uses it.
    CreatedControl& value = mainWindow.controls[uint32_t(Control::FreeMemoryValue)];
    bool overfull = free < 0;
    bool colourChanged = value.customTextColour != overfull;
    value.customTextColour = overfull;
    value.textColour = overfull ? kOverfullColour : 0;
    SetWindowTextW(value.window, wideChars(freeMemory));
    if (colourChanged) InvalidateRect(value.window, nullptr, TRUE);
}

void refreshInstrumentList() {
    UpdatingControls updating;
    updateWindowTitle();
    HWND list = controlWindow(Control::InstrumentList);
    // Refilled without drawing each step (a list takes its no-redraw style from this message).
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (uint32_t i = 0; i < cardDocument.instruments.count; ++i) {
        WideBuffer<kNameTextCapacity> name = {};
        appendUtf8AsUtf16(name, viewOf(cardDocument.instruments.items[i].name));
        terminateTextCutting(name);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wideChars(name)));
    }
    SendMessageW(list, LB_SETCURSEL, selected, 0);  // beyond the new count: no selection
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    setNameText(controlWindow(Control::CardNameEdit), cardDocument.name);
    updateMemoryDisplay();
}

// Each sound is built aside and then published whole, so a playing preview
// goes on with the last version until the new one is complete.
void showPreview(const Instrument& instrument) {
    SampleBuffer* samples = soundToBuild(previewSamples);
    if (!samples) {
        // The render thread still reads the spare buffer (a device that
        // stalls): the edit is built once it lets go, not lost.
        PostMessageW(mainWindow.window, kPreviewRebuildMessage, 0, 0);
        return;
    }
    // Without memory for the copy the view shows nothing rather than stale data.
    if (failed(prepareInstrumentPreview(instrument, *samples, previewEnvelope))) {
        samples->count = 0;
        previewEnvelope.count = 0;
    }
    publishSound(previewSamples, *samples);
    if (hearAsOnCard) {
        // Silence rather than the last instrument's sound.
        if (SampleBuffer* card = soundToBuild(previewCardSound)) {
            if (failed(prepareCardSound(instrument, previewEnvelope, *card, ditherCardBits))) card->count = 0;
            publishSound(previewCardSound, *card);
        } else {
            PostMessageW(mainWindow.window, kPreviewRebuildMessage, 0, 0);
        }
    }
    const SampleBuffer& shown = publishedSound(previewSamples);
    HWND view = controlWindow(Control::WaveformView);
    SendMessageW(view, WV_SETPRIMARY, reinterpret_cast<WPARAM>(shown.data), LPARAM(shown.count));
    SendMessageW(view, WV_SETOVERLAY, reinterpret_cast<WPARAM>(previewEnvelope.data), LPARAM(previewEnvelope.count));
}

static void setSpin(Control spin, uint32_t low, uint32_t high, uint32_t position) {
    HWND window = controlWindow(spin);
    SendMessageW(window, UDM_SETRANGE32, WPARAM(low), LPARAM(high));
    SendMessageW(window, UDM_SETPOS32, 0, LPARAM(position));
}

static void setKnobValue(Control knob, double value) {
    SendMessageW(controlWindow(knob), KM_SETVALUE, reinterpret_cast<WPARAM>(&value), 0);
}

void showInstrument(int32_t index) {
    UpdatingControls updating;
    stopPlayback(previewPlayer);
    HWND view = controlWindow(Control::WaveformView);
    bool valid = index >= 0 && uint32_t(index) < cardDocument.instruments.count;
    // Another instrument is shown whole: a zoom belongs to the sound it was made on.
    if ((valid ? index : -1) != mainWindow.shownInstrument) SendMessageW(view, WV_SETVISIBLE, 0, 0);
    mainWindow.shownInstrument = valid ? index : -1;
    if (valid) {
        const Instrument& instrument = *instrumentAt(cardDocument, uint32_t(index));
        setNameText(controlWindow(Control::InstNameEdit), instrument.name);
        setSpin(Control::StartSpin, 0, instrument.end, instrument.start);
        setSpin(Control::EndSpin, instrument.start, instrument.samples.count, instrument.end);
        SendMessageW(controlWindow(Control::DownsampleCheck), BM_SETCHECK,
                     instrument.downsample ? BST_CHECKED : BST_UNCHECKED, 0);
        setKnobValue(Control::DecayKnob, instrument.decay);
        setKnobValue(Control::BoostKnob, instrument.boost);
        showPreview(instrument);
        SendMessageW(view, WV_SETMARKERMAX, kStartMarker, LPARAM(instrument.end));
        SendMessageW(view, WV_SETMARKERPOS, kStartMarker, LPARAM(instrument.start));
        SendMessageW(view, WV_SETMARKERMIN, kEndMarker, LPARAM(instrument.start));
        SendMessageW(view, WV_SETMARKERPOS, kEndMarker, LPARAM(instrument.end));
        updateInstrumentCost();
        return;
    }
    SetWindowTextW(controlWindow(Control::InstNameEdit), L"");
    // Empty ranges, so the fields read 0 and not a limit left from the last instrument.
    setSpin(Control::StartSpin, 0, 0, 0);
    setSpin(Control::EndSpin, 0, 0, 0);
    SendMessageW(controlWindow(Control::DownsampleCheck), BM_SETCHECK, BST_UNCHECKED, 0);
    setKnobValue(Control::DecayKnob, kMinDecay);
    setKnobValue(Control::BoostKnob, 0);
    clearSound(previewSamples);
    previewEnvelope.count = 0;
    clearSound(previewCardSound);
    SendMessageW(view, WV_SETPRIMARY, 0, 0);
    SendMessageW(view, WV_SETOVERLAY, 0, 0);
    SendMessageW(view, WV_SETMARKERPOS, kStartMarker, kNoMarker);
    SendMessageW(view, WV_SETMARKERPOS, kEndMarker, kNoMarker);
    updateInstrumentCost();
}

void updateControlStates() {
    bool selected = listSelection() >= 0;
    EnableWindow(controlWindow(Control::AddButton), cardDocument.instruments.count < kMaxInstruments);
    // Load Sample adds instruments when none is selected, while the card has room.
    EnableWindow(controlWindow(Control::LoadSampleButton),
                 selected || cardDocument.instruments.count < kMaxInstruments);
    for (Control control : {Control::RemoveButton, Control::WaveformView,
                            Control::StartSpin, Control::EndSpin, Control::DownsampleCheck, Control::DecayKnob,
                            Control::BoostKnob, Control::PlayButton})
        EnableWindow(controlWindow(control), selected);
    for (Control control : {Control::InstNameEdit, Control::StartEdit, Control::EndEdit})
        SendMessageW(controlWindow(control), EM_SETREADONLY, !selected, 0);
    SendMessageW(controlWindow(Control::CardNameEdit), EM_SETREADONLY, FALSE, 0);
    if (HMENU menu = GetMenu(mainWindow.window)) {
        EnableMenuItem(menu, kCommandSave, MF_BYCOMMAND | MF_ENABLED);
        EnableMenuItem(menu, kCommandSaveAs, MF_BYCOMMAND | MF_ENABLED);
    }
}

void refreshAndSelect(int32_t index) {
    refreshInstrumentList();
    SendMessageW(controlWindow(Control::InstrumentList), LB_SETCURSEL, WPARAM(index), 0);
    showInstrument(index);
    updateControlStates();
    SetFocus(controlWindow(Control::InstrumentList));
}
