#include "settings_io.h"

#include "settings.h"
#include "shell_services.h"

CMonitorSettings CurrentMonitorSettings()
{
    CMonitorSettings s;
    s.list = gList;
    s.warn = gWarn;
    s.lockStr = gLockStr;
    s.trnsStr = gTrnsStr;
    s.descStr = gDescStr;
    s.date = gDate;
    s.time1 = gTime1;
    s.time2 = gTime2;
    s.today = gToday;
    return s;
}

void ApplyMonitorSettings(const CMonitorSettings& s)
{
    const CSettingsWriter& writer = ShellServices().settingsWriter;
    gList = s.list;
    gWarn = s.warn;
    gLockStr = s.lockStr;
    gTrnsStr = s.trnsStr;
    gToday = s.today;
    gDate = s.date;
    gDescStr = s.descStr;
    gTime1 = s.time1;
    gTime2 = s.time2;

    writer.writeDword("gWarn", gWarn);
    writer.writeDword("gList", gList);
    writer.writeString("gLockStr", gLockStr);
    writer.writeString("gTrnsStr", gTrnsStr);
    writer.writeDword("gToday", gToday);
    writer.writeString("gDescStr", gDescStr);
    writer.writeString("gDate", gDate);
    writer.writeString("gTime1", gTime1);
    writer.writeString("gTime2", gTime2);
}
