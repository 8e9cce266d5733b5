#pragma once
#include <windows.h>

// "Hear as on the Card", remembered beside the dialogs' folders under the
// program's settings key as a DWORD (1 on, 0 off). Off when never set or
// unreadable.
constexpr wchar_t kHearAsOnCardValue[] = L"HearAsOnCard";

bool readHearAsOnCard();
// A failed write only loses the choice for the next start.
void rememberHearAsOnCard(bool on);
