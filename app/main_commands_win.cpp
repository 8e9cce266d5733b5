#include "app/main_commands_win.h"

#include <commctrl.h>

#include <iterator>

#include "app/about_box_win.h"
#include "app/command_line_win.h"
#include "app/edit_history_win.h"
#include "app/edit_options_win.h"
#include "app/load_sample_command.h"
#include "app/main_refresh_win.h"
#include "app/marker_position_text.h"
#include "app/main_window_win.h"
#include "app/preview_controls_win.h"
#include "app/program_state.h"
#include "app/resource_ids.h"
#include "app/typed_position.h"
#include "core/text_win.h"

// Names are limited to 8 characters in the edit fields; room for 15 is read.
constexpr int kNameReadCapacity = 16;
constexpr WPARAM kStartMarker = 0;
constexpr WPARAM kEndMarker = 1;

// After a change of start, end, downsampling, decay or boost: the title's
// "*", the preview (a playing one follows the edit) and the memory figures.
static void parameterChanged(const Instrument& instrument) {
    if (!cardDocument.modified) {
        cardDocument.modified = true;
        updateWindowTitle();
    }
    showPreview(instrument);
    updateMemoryDisplay();
}

static void onMenuCommand(uint16_t identifier) {
    switch (identifier) {
    case kCommandNew: newCard(cardFileCommands); break;
    case kCommandOpen: openCard(cardFileCommands); break;
    case kCommandSave: saveCard(cardFileCommands); break;
    case kCommandSaveAs: saveCardAs(cardFileCommands); break;
    case kCommandExit: SendMessageW(mainWindow.window, WM_CLOSE, 0, 0); break;
    case kCommandAbout: showAboutBox(mainWindow.window); break;
    case kCommandHearAsCard: toggleHearAsOnCard(); break;
    case kCommandUndo: undoCardEdit(); break;
    case kCommandRedo: redoCardEdit(); break;
    case kCommandTrimSilence: trimShownInstrument(); break;
    case kCommandSnapMarkers: toggleSnapMarkers(); break;
    case kCommandDitherCard: toggleDitherCard(); break;
    default: break;
    }
}

static void addInstrument() {
    if (cardDocument.instruments.count >= kMaxInstruments) return;
    int32_t before = listSelection();
    if (!addNamedInstrument(cardDocument)) return;
    cardDocument.modified = true;
    int32_t added = int32_t(cardDocument.instruments.count) - 1;
    refreshAndSelect(added);
    recordCardEdit(EditKind::AddInstrument, before, added);
}

static void removeSelectedInstrument() {
    int32_t selected = listSelection();
    if (!selectedInstrument()) return;
    removeInstrument(cardDocument, uint32_t(selected));
    cardDocument.modified = true;
    int32_t next = selected > 0 ? selected - 1 : 0;
    refreshAndSelect(next);
    recordCardEdit(EditKind::RemoveInstrument, selected, next);
}

static void readName(HWND edit, WideBuffer<kNameReadCapacity>& text) {
    wchar_t units[kNameReadCapacity] = {};
    int length = GetWindowTextW(edit, units, kNameReadCapacity);
    assignText(text, Utf16View{reinterpret_cast<const char16_t*>(units), uint32_t(length > 0 ? length : 0)});
}

static void onCardNameChanged() {
    WideBuffer<kNameReadCapacity> text = {};
    readName(controlWindow(Control::CardNameEdit), text);
    setCardName(cardDocument, viewOf(text));
    noteNameTyped(EditKind::RenameCard);
    if (!cardDocument.modified) {
        cardDocument.modified = true;
        updateWindowTitle();
    }
}

static void onInstrumentNameChanged(Instrument& instrument) {
    WideBuffer<kNameReadCapacity> text = {};
    readName(controlWindow(Control::InstNameEdit), text);
    setInstrumentName(instrument, viewOf(text));
    noteNameTyped(EditKind::RenameInstrument);
    cardDocument.modified = true;
    refreshInstrumentList();
}

// ---- Start and End ---------------------------------------------------------------
// A number typed into Start or End counts when it is committed: by Enter, by
// leaving the field, or by a step of its spin. Typing alone applies nothing,
// so a number is never taken half typed. A committed number beyond the
// field's range counts as the nearest end of it, and the field then shows
// what counts, as the marker and the memory figures do.

constexpr int kPositionTextCapacity = 32;

static Control spinOf(Control field) { return field == Control::StartEdit ? Control::StartSpin : Control::EndSpin; }

static bool fieldOfSpin(HWND spin, Control& field) {
    if (!spin) return false;
    if (spin == controlWindow(Control::StartSpin)) field = Control::StartEdit;
    else if (spin == controlWindow(Control::EndSpin)) field = Control::EndEdit;
    else return false;
    return true;
}

// The field's number held to its range (0 .. end for Start, start .. the
// sample count for End); the stored one when the field holds no number.
static uint32_t typedPosition(const Instrument& instrument, Control field) {
    bool start = field == Control::StartEdit;
    uint32_t position = start ? instrument.start : instrument.end;
    wchar_t text[kPositionTextCapacity] = {};
    int length = GetWindowTextW(controlWindow(field), text, kPositionTextCapacity);
    readTypedPosition(Utf16View{reinterpret_cast<const char16_t*>(text), uint32_t(length > 0 ? length : 0)},
                      start ? 0 : instrument.start, start ? instrument.end : instrument.samples.count, position);
    return position;
}

// A field, knob or marker that ends where it was changes nothing: the card
// is not marked modified by a click.
static void storeStart(Instrument& instrument, uint32_t start) {
    if (start == instrument.start) return;
    instrument.start = start;
    SendMessageW(controlWindow(Control::EndSpin), UDM_SETRANGE32, instrument.start, instrument.samples.count);
    HWND view = controlWindow(Control::WaveformView);
    SendMessageW(view, WV_SETMARKERPOS, kStartMarker, LPARAM(instrument.start));
    SendMessageW(view, WV_SETMARKERMIN, kEndMarker, LPARAM(instrument.start));
    parameterChanged(instrument);
    // A run of spin steps is one step.
    recordCardEdit(EditKind::MoveStart, mainWindow.shownInstrument, mainWindow.shownInstrument, true);
}

static void storeEnd(Instrument& instrument, uint32_t end) {
    if (end == instrument.end) return;
    instrument.end = end;
    SendMessageW(controlWindow(Control::StartSpin), UDM_SETRANGE32, 0, instrument.end);
    HWND view = controlWindow(Control::WaveformView);
    SendMessageW(view, WV_SETMARKERMAX, kStartMarker, LPARAM(instrument.end));
    SendMessageW(view, WV_SETMARKERPOS, kEndMarker, LPARAM(instrument.end));
    parameterChanged(instrument);
    recordCardEdit(EditKind::MoveEnd, mainWindow.shownInstrument, mainWindow.shownInstrument, true);
}

// The field and its spin show the stored number; nothing typed is left. A
// field that keeps the focus (Enter) has the number selected, to be typed over.
static void showStoredPosition(Control field, uint32_t position) {
    UpdatingControls updating;
    HWND edit = controlWindow(field);
    WideBuffer<kPositionTextCapacity> stored = {};
    appendUnsigned(stored, position);
    terminateTextCutting(stored);
    wchar_t shown[kPositionTextCapacity] = {};
    GetWindowTextW(edit, shown, kPositionTextCapacity);
    SendMessageW(controlWindow(spinOf(field)), UDM_SETPOS32, 0, LPARAM(position));
    if (lstrcmpW(shown, wideChars(stored)) == 0) return;
    // The spin need not write its position into the field when the position stays.
    SetWindowTextW(edit, wideChars(stored));
    if (GetFocus() == edit) SendMessageW(edit, EM_SETSEL, 0, -1);
}

// A number typed and committed goes to the nearest zero crossing when that
// option is on; a spin step moves by one whatever the sound, and a field left
// as it was moves nothing.
static void commitPosition(Instrument& instrument, Control field, bool snap) {
    bool start = field == Control::StartEdit;
    uint32_t position = typedPosition(instrument, field);
    if (snap && position != (start ? instrument.start : instrument.end))
        position = snapMarker(instrument, start, position);
    if (field == Control::StartEdit)
        storeStart(instrument, position);
    else
        storeEnd(instrument, position);
    showStoredPosition(field, field == Control::StartEdit ? instrument.start : instrument.end);
}

// The fields' numbers belong to the instrument they show.
static void commitTypedPosition(Control field, bool snap = true) {
    if (mainWindow.updatingControls) return;
    if (Instrument* instrument = shownInstrument()) commitPosition(*instrument, field, snap);
}

void commitTypedPositions() {
    // A marker still moving by key is a number on the screen too.
    SendMessageW(controlWindow(Control::WaveformView), WV_ENDKEYRUN, 0, 0);
    commitTypedPosition(Control::StartEdit);
    commitTypedPosition(Control::EndEdit);
}

// Escape abandons what was typed: the fields show the stored numbers again.
static void revertTypedPositions() {
    if (mainWindow.updatingControls) return;
    const Instrument* instrument = shownInstrument();
    if (!instrument) return;
    showStoredPosition(Control::StartEdit, instrument->start);
    showStoredPosition(Control::EndEdit, instrument->end);
}

// A step of a spin starts from the number in its field, held to the range,
// so that what was typed counts before it is stepped.
LRESULT onNotify(NMHDR* header) {
    Control field;
    if (!header || header->code != UINT(UDN_DELTAPOS) || !fieldOfSpin(header->hwndFrom, field)) return 0;
    const Instrument* instrument = shownInstrument();
    if (mainWindow.updatingControls || !instrument) return 0;
    NMUPDOWN& step = *reinterpret_cast<NMUPDOWN*>(header);
    int64_t delta = int64_t(typedPosition(*instrument, field)) + step.iDelta - step.iPos;
    step.iDelta = int(delta < INT32_MIN ? INT32_MIN : delta > INT32_MAX ? INT32_MAX : delta);
    return 0;  // the step goes ahead
}

// After a step the spin has written its new position into the field: the step commits it.
void onSpinScroll(HWND spin, uint16_t request) {
    Control field;
    if (request == SB_THUMBPOSITION && fieldOfSpin(spin, field)) commitTypedPosition(field, false);
}

static void onLoadSample() {
    LoadSampleOutcome outcome = loadSampleCommand(cardDocument, listSelection(), mainWindow.dialogs);
    if (!outcome.chosen) return;
    refreshAndSelect(outcome.selection);
    if (outcome.edit != EditKind::None) recordCardEdit(outcome.edit, outcome.where, outcome.selection);
}

// Edits of the selected instrument's fields; nothing without a selection,
// and nothing while the refresh fills the fields.
static void onInstrumentFieldCommand(Control control, uint16_t notification) {
    if (mainWindow.updatingControls) return;
    Instrument* instrument = selectedInstrument();
    if (!instrument) return;
    switch (control) {
    case Control::InstNameEdit:
        if (notification == EN_CHANGE) onInstrumentNameChanged(*instrument);
        break;
    case Control::DownsampleCheck:
        instrument->downsample =
            SendMessageW(controlWindow(Control::DownsampleCheck), BM_GETCHECK, 0, 0) != BST_UNCHECKED;
        parameterChanged(*instrument);
        recordCardEdit(EditKind::ChangeDownsample, mainWindow.shownInstrument, mainWindow.shownInstrument);
        break;
    default: break;
    }
}

void onCommand(HWND, uint16_t identifier, HWND control, uint16_t notification) {
    if (!control) {
        // Enter and Escape in a field come as commands too (the dialog
        // navigation's IDOK and IDCANCEL): Enter commits, Escape abandons.
        if (identifier == IDCANCEL)
            revertTypedPositions();
        else
            commitTypedPositions();
        recordTypedName();  // a name typed is a step of its own before the command
        onMenuCommand(identifier);
        return;
    }
    int32_t row = controlOf(control);
    if (row < 0) return;
    // A name typed and not yet a step becomes one before another edit joins it
    // (the wheel turns a knob while the focus stays in the name field).
    if (Control(row) != Control::InstNameEdit && Control(row) != Control::CardNameEdit) recordTypedName();
    switch (Control(row)) {
    case Control::SendButton: sendToCard(transferJob, cardWriterList, cardDocument); break;
    case Control::AddButton: addInstrument(); break;
    case Control::RemoveButton: removeSelectedInstrument(); break;
    case Control::InstrumentList:
        // During a drag the list's selection follows the cursor, over the placeholder too.
        if (notification == LBN_SELCHANGE && mainWindow.dragFrom < 0) {
            showInstrument(listSelection());
            updateControlStates();
        }
        break;
    case Control::CardNameEdit:
        if (notification == EN_CHANGE && !mainWindow.updatingControls) onCardNameChanged();
        if (notification == EN_KILLFOCUS) recordTypedName();
        break;
    case Control::LoadSampleButton: onLoadSample(); break;
    case Control::PlayButton: togglePreviewOfSelection(); break;
    case Control::StartEdit: case Control::EndEdit:
        if (notification == EN_KILLFOCUS) commitTypedPosition(Control(row));
        break;
    case Control::InstNameEdit: case Control::DownsampleCheck:
        if (notification == EN_KILLFOCUS && Control(row) == Control::InstNameEdit) recordTypedName();
        onInstrumentFieldCommand(Control(row), notification);
        break;
    default: break;
    }
}

// The message's number is not the knobs' alone (the dialog navigation's
// DM_SETDEFID shares it): wParam is read only when a knob of this window sent it.
void onKnobChanged(WPARAM record, HWND knob) {
    bool decay = knob && knob == controlWindow(Control::DecayKnob);
    bool boost = knob && knob == controlWindow(Control::BoostKnob);
    if (!record || !(decay || boost)) return;
    const KnobNotification& notification = *reinterpret_cast<const KnobNotification*>(record);
    Instrument* instrument = selectedInstrument();
    if (!instrument) return;
    recordTypedName();
    uint8_t* stored = decay ? &instrument->decay : &instrument->boost;
    uint8_t value = decay ? clampDecay(notification.value) : clampBoost(notification.value);
    if (*stored != value) {
        *stored = value;
        parameterChanged(*instrument);
    }
    // A drag is one step, told at its end (moved or not); wheel and arrow
    // steps come one by one, and a run of them makes one step.
    if (!notification.dragging)
        recordCardEdit(decay ? EditKind::ChangeDecay : EditKind::ChangeBoost, mainWindow.shownInstrument,
                       mainWindow.shownInstrument, true);
}

// A released marker: the field and the other marker's limit follow it,
// without the field's own edit handler running again. False when it was let
// go where it was.
static bool storeStartMarker(Instrument& instrument, uint32_t position) {
    uint32_t start = position < instrument.end ? position : instrument.end;
    if (start == instrument.start) return false;
    UpdatingControls updating;
    instrument.start = start;
    SendMessageW(controlWindow(Control::EndSpin), UDM_SETRANGE32, instrument.start, instrument.samples.count);
    SendMessageW(controlWindow(Control::StartSpin), UDM_SETPOS32, 0, LPARAM(instrument.start));
    SendMessageW(controlWindow(Control::WaveformView), WV_SETMARKERMIN, kEndMarker, LPARAM(instrument.start));
    return true;
}

static bool storeEndMarker(Instrument& instrument, uint32_t position) {
    uint32_t end = position < instrument.samples.count ? position : instrument.samples.count;
    if (end < instrument.start) end = instrument.start;
    if (end == instrument.end) return false;
    UpdatingControls updating;
    instrument.end = end;
    SendMessageW(controlWindow(Control::StartSpin), UDM_SETRANGE32, 0, instrument.end);
    SendMessageW(controlWindow(Control::EndSpin), UDM_SETPOS32, 0, LPARAM(instrument.end));
    SendMessageW(controlWindow(Control::WaveformView), WV_SETMARKERMAX, kStartMarker, LPARAM(instrument.end));
    return true;
}

// While a marker is held: where it is, in samples and milliseconds.
static void showMarkerPosition(const MarkerNotification& notification) {
    if (transferJob.busy) return;  // its progress has the status line
    HWND status = controlWindow(Control::StatusText);
    if (!mainWindow.markerPositionShown) {
        GetWindowTextW(status, mainWindow.statusBeforeMarker, int(std::size(mainWindow.statusBeforeMarker)));
        mainWindow.markerPositionShown = true;
    }
    MarkerPositionText text = {};
    buildMarkerPositionText(text, notification.marker == kStartMarker, notification.position);
    terminateTextCutting(text);
    lstrcpynW(mainWindow.markerPositionText, wideChars(text), int(std::size(mainWindow.markerPositionText)));
    SetWindowTextW(status, mainWindow.markerPositionText);
}

// At the release the status line says again what it said, unless something
// else (a transfer) has written to it meanwhile.
static void endMarkerPosition() {
    if (!mainWindow.markerPositionShown) return;
    mainWindow.markerPositionShown = false;
    HWND status = controlWindow(Control::StatusText);
    wchar_t shown[kMarkerPositionTextCapacity] = {};
    GetWindowTextW(status, shown, int(std::size(shown)));
    if (lstrcmpW(shown, mainWindow.markerPositionText) == 0) SetWindowTextW(status, mainWindow.statusBeforeMarker);
}

// Only the release of a marker counts; wParam is read only when the view sent
// it. A run of key moves is one step too, and lands on the sample the keys
// chose, as a spin step does.
void onMarkerMoved(WPARAM record, HWND view) {
    if (!record || !view || view != controlWindow(Control::WaveformView)) return;
    const MarkerNotification& notification = *reinterpret_cast<const MarkerNotification*>(record);
    if (notification.dragging) {
        showMarkerPosition(notification);
        return;
    }
    endMarkerPosition();
    Instrument* instrument = selectedInstrument();
    if (!instrument || notification.marker > kEndMarker) return;
    recordTypedName();
    bool start = notification.marker == kStartMarker;
    uint32_t position = notification.position;
    if (!notification.byKey && position != (start ? instrument->start : instrument->end))
        position = snapMarker(*instrument, start, position);
    bool changed = start ? storeStartMarker(*instrument, position) : storeEndMarker(*instrument, position);
    // The marker goes where the card has it: on the crossing, or back where it was.
    SendMessageW(controlWindow(Control::WaveformView), WV_SETMARKERPOS, notification.marker,
                 LPARAM(start ? instrument->start : instrument->end));
    if (!changed) return;
    parameterChanged(*instrument);
    recordCardEdit(notification.marker == kStartMarker ? EditKind::MoveStart : EditKind::MoveEnd,
                   mainWindow.shownInstrument, mainWindow.shownInstrument);
}

void openCommandLineCard(const wchar_t* commandLine) {
    PathBuffer path;
    if (cardFileArgument(commandLine, path)) loadCard(cardFileCommands, viewOf(path));
}
