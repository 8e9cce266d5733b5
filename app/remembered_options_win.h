#pragma once
#include <windows.h>

// The menu's on/off options, remembered beside the dialogs' folders under the
// program's settings key as DWORDs (1 on, 0 off). Off when never set or
// unreadable, as every option starts.
constexpr wchar_t kHearAsOnCardValue[] = L"HearAsOnCard";
constexpr wchar_t kSnapMarkersValue[] = L"SnapMarkersToZeroCrossings";
constexpr wchar_t kDitherCardValue[] = L"DitherCardBits";

bool readOption(const wchar_t* value);
// A failed write only loses the choice for the next start.
void rememberOption(const wchar_t* value, bool on);
