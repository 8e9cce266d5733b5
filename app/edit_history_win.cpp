#include "app/edit_history_win.h"

#include <windows.h>

#include "app/main_commands_win.h"
#include "app/main_refresh_win.h"
#include "app/main_window_win.h"
#include "app/program_state.h"
#include "app/resource_ids.h"
#include "audio/preview_player.h"
#include "core/text_win.h"

constexpr uint32_t kMenuTextCapacity = 64;

// The name being typed, not yet a step.
static EditKind typedName = EditKind::None;

static void setMenuItem(HMENU menu, UINT command, const char16_t* verb, EditKind kind, const char16_t* keys) {
    WideBuffer<kMenuTextCapacity> text = {};
    appendText(text, viewOf(verb));
    if (kind != EditKind::None) {
        appendText(text, viewOf(u" "));
        appendUtf8AsUtf16(text, viewOf(editName(kind)));
    }
    appendText(text, viewOf(keys));
    terminateTextCutting(text);
    UINT state = kind != EditKind::None ? MF_ENABLED : MF_GRAYED;
    ModifyMenuW(menu, command, MF_BYCOMMAND | MF_STRING | state, command, wideChars(text));
}

void updateEditMenu() {
    HMENU menu = mainWindow.window ? GetMenu(mainWindow.window) : nullptr;
    if (!menu) return;
    setMenuItem(menu, kCommandUndo, u"&Undo", undoKind(cardHistory), u"\tCtrl+Z");
    setMenuItem(menu, kCommandRedo, u"&Redo", redoKind(cardHistory), u"\tCtrl+Y");
    DrawMenuBar(mainWindow.window);
}

void restartCardHistory() {
    typedName = EditKind::None;
    // Without memory for the history the card is edited as before, without Undo.
    startHistory(cardHistory, cardDocument, cardDocument.instruments.count ? 0 : -1, true);
    updateEditMenu();
}

void cardSavedInHistory() {
    markSaved(cardHistory);
    updateEditMenu();
}

void recordCardEdit(EditKind kind, int32_t where, int32_t selection, bool mergeable) {
    if (failed(recordEdit(cardHistory, cardDocument, kind, where, selection, mergeable, GetTickCount64())))
        cardDocument.modified = true;  // no history: the card is modified all the same
    updateWindowTitle();
    updateEditMenu();
}

void noteNameTyped(EditKind kind) { typedName = kind; }

void recordTypedName() {
    if (typedName == EditKind::None) return;
    EditKind kind = typedName;
    typedName = EditKind::None;
    int32_t shown = mainWindow.shownInstrument;
    recordCardEdit(kind, kind == EditKind::RenameInstrument ? shown : -1, shown);
}

// The card is now another snapshot: every control shows it, the instrument
// the step concerns selected. The focus stays where it was.
static void showRestoredCard(int32_t selection) {
    int32_t count = int32_t(cardDocument.instruments.count);
    if (selection >= count) selection = count - 1;
    if (selection < 0 && count > 0) selection = 0;
    refreshInstrumentList();
    SendMessageW(controlWindow(Control::InstrumentList), LB_SETCURSEL, WPARAM(selection), 0);
    showInstrument(selection);
    updateControlStates();
    updateEditMenu();
}

// What is still being typed counts as a step of its own before the undo: a
// number in Start or End, a name, a value typed into a knob (taking the focus
// back to the knob closes its entry and applies it).
static void settleTyping() {
    HWND focus = GetFocus();
    HWND owner = focus ? GetParent(focus) : nullptr;
    if (owner && (owner == controlWindow(Control::DecayKnob) || owner == controlWindow(Control::BoostKnob)))
        SetFocus(owner);
    commitTypedPositions();
    recordTypedName();
}

void undoCardEdit() {
    settleTyping();
    int32_t selection = -1;
    if (undoEdit(cardHistory, cardDocument, selection)) showRestoredCard(selection);
}

void redoCardEdit() {
    settleTyping();
    int32_t selection = -1;
    if (redoEdit(cardHistory, cardDocument, selection)) showRestoredCard(selection);
}
