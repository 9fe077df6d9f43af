#include "settings.h"

#include "registry.h"

int32_t gBeep = 1;
int32_t gPop = 1;
int32_t gToday = 1;
int32_t gWarn = 0;
int32_t gList = 0;
std::string gLockStr, gTrnsStr, gDescStr, gDate, gTime1, gTime2;

int32_t ReadSettingDword(const std::string& name, int32_t def)
{
    return RegReadDword(UserSettingsRoot(), kSettingsPath, name, def);
}

std::string ReadSettingString(const std::string& name, const std::string& def)
{
    return RegReadString(UserSettingsRoot(), kSettingsPath, name, def);
}

bool WriteSettingDword(const std::string& name, int32_t value)
{
    return RegWriteDword(UserSettingsRoot(), kSettingsPath, name, value);
}

bool WriteSettingString(const std::string& name, const std::string& text)
{
    return RegWriteString(UserSettingsRoot(), kSettingsPath, name, text);
}

void ResetSettings()
{
    gBeep = gPop = gToday = 1;
    gWarn = gList = 0;
    gLockStr.clear();
    gTrnsStr.clear();
    gDescStr.clear();
    gDate.clear();
    gTime1.clear();
    gTime2.clear();
}

void ReadAllSettings()
{
    gPop = ReadSettingDword("gPop", 1);
    gBeep = ReadSettingDword("gBeep", 1);
    gToday = ReadSettingDword("gToday", 1);
    gWarn = ReadSettingDword("gWarn", 0);
    gList = ReadSettingDword("gList", 0);
    gLockStr = ReadSettingString("gLockStr", "");
    gTrnsStr = ReadSettingString("gTrnsStr", "");
    gDescStr = ReadSettingString("gDescStr", "");
    gDate = ReadSettingString("gDate", "");
    gTime1 = ReadSettingString("gTime1", "");
    gTime2 = ReadSettingString("gTime2", "");
}
