#include "settings_io.h"

#include "event_store.h"
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

CNavigatorOptions CurrentNavigatorOptions() { return {gBeep, gPop, max_messages}; }

bool ApplyNavigatorOptions(const CNavigatorOptions& options, const std::function<void()>& showCurrent)
{
    if (options == CurrentNavigatorOptions())
        return false;
    gBeep = options.beep;
    gPop = options.pop;
    if (options.maxMessages != max_messages)
        SetMaxMessages(options.maxMessages, showCurrent);
    const CSettingsWriter& writer = ShellServices().settingsWriter;
    writer.writeDword("gBeep", gBeep);
    writer.writeDword("gPop", gPop);
    return true;
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
