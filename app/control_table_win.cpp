// The control table spells the window styles it uses as plain numbers, so
// that it builds without the Windows headers; here they meet those headers.
#include <windows.h>

#include <commctrl.h>

#include "app/control_table.h"

static_assert(kStyleBorder == WS_BORDER, "WS_BORDER");
static_assert(kStyleVScroll == WS_VSCROLL, "WS_VSCROLL");
static_assert(kStyleTabStop == WS_TABSTOP, "WS_TABSTOP");
static_assert(kListNotify == LBS_NOTIFY, "LBS_NOTIFY");
static_assert(kStaticRight == SS_RIGHT, "SS_RIGHT");
static_assert(kStaticCentreImage == SS_CENTERIMAGE, "SS_CENTERIMAGE");
static_assert(kComboDropDownList == CBS_DROPDOWNLIST, "CBS_DROPDOWNLIST");
static_assert(kEditNumber == ES_NUMBER, "ES_NUMBER");
static_assert(kButtonAutoCheckBox == BS_AUTOCHECKBOX, "BS_AUTOCHECKBOX");
static_assert(kSpinSetBuddyInt == UDS_SETBUDDYINT, "UDS_SETBUDDYINT");
static_assert(kSpinAlignRight == UDS_ALIGNRIGHT, "UDS_ALIGNRIGHT");
static_assert(kSpinAutoBuddy == UDS_AUTOBUDDY, "UDS_AUTOBUDDY");
static_assert(kSpinArrowKeys == UDS_ARROWKEYS, "UDS_ARROWKEYS");
static_assert(kSpinNoThousands == UDS_NOTHOUSANDS, "UDS_NOTHOUSANDS");
