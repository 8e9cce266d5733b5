#include "app/preview_settings_win.h"

#include "app/user_dialogs_win.h"

bool readHearAsOnCard() {
    DWORD value = 0;
    DWORD bytes = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kHearAsOnCardValue, RRF_RT_REG_DWORD, nullptr, &value, &bytes) !=
        ERROR_SUCCESS)
        return false;
    return value != 0;
}

void rememberHearAsOnCard(bool on) {
    DWORD value = on ? 1 : 0;
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kHearAsOnCardValue, REG_DWORD, &value, sizeof value);
}
