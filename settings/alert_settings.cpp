#include "alert_settings.h"

#include <algorithm>

#include "settings.h"

int32_t gNotify = 1;
int32_t gLevelSound = 1;
int32_t gAlarmRepeat = 0;
int32_t gRepeatSecs = kDefaultRepeatSecs;

void ReadAlertSettings()
{
    gNotify = ReadSettingDword("gNotify", 1);
    gLevelSound = ReadSettingDword("gLevelSound", 1);
    gAlarmRepeat = ReadSettingDword("gAlarmRepeat", 0);
    gRepeatSecs = std::clamp(ReadSettingDword("gRepeatSecs", kDefaultRepeatSecs), kMinRepeatSecs, kMaxRepeatSecs);
}

void WriteAlertSettings()
{
    WriteSettingDword("gNotify", gNotify);
    WriteSettingDword("gLevelSound", gLevelSound);
    WriteSettingDword("gAlarmRepeat", gAlarmRepeat);
    WriteSettingDword("gRepeatSecs", gRepeatSecs);
}

void ResetAlertSettings()
{
    gNotify = gLevelSound = 1;
    gAlarmRepeat = 0;
    gRepeatSecs = kDefaultRepeatSecs;
}
