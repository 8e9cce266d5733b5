#include "app/about_box_win.h"

#include "app/resource_ids.h"
#include "app/version_resource_win.h"
#include "core/text_win.h"

// The version resource is read where the title is needed: both texts come
// from the executable's own block, as the main window's title does.
static void setVersionText(HWND dialog, int control, bool legalNotice) {
    ApplicationTitle text;
    if (legalNotice)
        readLegalNotice(text, nullptr);
    else
        buildApplicationTitle(text, nullptr);
    WideBuffer<kApplicationTitleCapacity + 1> terminated;
    assignText(terminated, viewOf(text));
    terminateTextCutting(terminated);
    SendDlgItemMessageW(dialog, control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wideChars(terminated)));
}

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        setVersionText(dialog, kAboutVersionText, false);
        setVersionText(dialog, kAboutLegalNoticeText, true);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

void showAboutBox(HWND owner) {
    DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kAboutDialogId), owner, aboutDialogProc, 0);
}
