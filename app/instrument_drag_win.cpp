#include "app/instrument_drag_win.h"

#include "app/edit_history_win.h"
#include "app/main_refresh_win.h"
#include "app/main_window_win.h"
#include "app/program_state.h"

// The entry under the cursor; the list scrolls when the cursor is above or below it.
static int32_t entryAt(const DRAGLISTINFO& drag) {
    return LBItemFromPt(controlWindow(Control::InstrumentList), drag.ptCursor, TRUE);
}

void endListDrag() {
    HWND list = controlWindow(Control::InstrumentList);
    if (mainWindow.dragPlaceholder) {
        // Only the placeholder: never an instrument's entry, should a refresh have refilled the list meanwhile.
        LRESULT entries = SendMessageW(list, LB_GETCOUNT, 0, 0);
        if (entries != LB_ERR && uint32_t(entries) > cardDocument.instruments.count)
            SendMessageW(list, LB_DELETESTRING, WPARAM(entries - 1), 0);
        mainWindow.dragPlaceholder = false;
    }
    mainWindow.dragFrom = -1;
    if (list) DrawInsert(mainWindow.window, list, -1);
}

static LRESULT beginDrag(const DRAGLISTINFO& drag) {
    mainWindow.dragFrom = entryAt(drag);
    if (mainWindow.dragFrom < 0) return FALSE;
    if (cardDocument.instruments.count < 2) {
        mainWindow.dragFrom = -1;
        return FALSE;
    }
    return TRUE;
}

static LRESULT dragging(HWND window, const DRAGLISTINFO& drag) {
    if (mainWindow.dragFrom < 0) return DL_STOPCURSOR;
    HWND list = controlWindow(Control::InstrumentList);
    if (!mainWindow.dragPlaceholder) {
        // An empty entry behind the last, so that the end of the list can be pointed at.
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L""));
        mainWindow.dragPlaceholder = true;
    }
    DrawInsert(window, list, entryAt(drag));
    return DL_MOVECURSOR;
}

void moveListedInstrument(int32_t from, int32_t target) {
    uint32_t count = cardDocument.instruments.count;
    if (from < 0 || target < 0 || uint32_t(from) >= count || uint32_t(target) >= count || from == target) return;
    recordTypedName();
    moveInstrument(cardDocument, uint32_t(from), uint32_t(target));
    cardDocument.modified = true;
    refreshAndSelect(target);
    recordCardEdit(EditKind::MoveInstrument, from, target);
}

// A drag that moves nothing (dropped on its own place, off the list, or
// cancelled) leaves the entry it took selected and shown: the list box moves
// its highlight under the cursor, and need not say so when the drag ends.
static void showTakenEntry(int32_t from) {
    if (uint32_t(from) >= cardDocument.instruments.count) from = int32_t(cardDocument.instruments.count) - 1;
    SendMessageW(controlWindow(Control::InstrumentList), LB_SETCURSEL, WPARAM(from), 0);
    showInstrument(from);
    updateControlStates();
}

static void dropped(const DRAGLISTINFO& drag) {
    int32_t from = mainWindow.dragFrom;
    if (from < 0) return;
    recordTypedName();
    int32_t to = entryAt(drag);  // before the placeholder goes
    endListDrag();
    // The entry is inserted before the one it is dropped on.
    int32_t target = from < to ? to - 1 : to;
    if (to < 0 || target == from || uint32_t(from) >= cardDocument.instruments.count ||
        uint32_t(target) >= cardDocument.instruments.count) {
        showTakenEntry(from);
        return;
    }
    moveListedInstrument(from, target);
}

static void cancelled() {
    int32_t from = mainWindow.dragFrom;
    if (from < 0) return;
    endListDrag();
    showTakenEntry(from);
}

LRESULT onDragList(HWND window, const DRAGLISTINFO& drag) {
    switch (drag.uNotification) {
    case DL_BEGINDRAG: return beginDrag(drag);
    case DL_DRAGGING: return dragging(window, drag);
    case DL_DROPPED: dropped(drag); return 0;
    case DL_CANCELDRAG: cancelled(); return 0;
    default: return 0;
    }
}
