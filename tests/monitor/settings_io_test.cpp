#include "settings_io.h"

#include <gtest/gtest.h>

#include "settings.h"
#include "shell_services.h"

TEST(ApplyMonitorSettings, SetsTheWorkingCopiesAndWritesAllNineInOrder)
{
    ResetSettings();
    CMonitorSettings s;
    s.list = 3;
    s.warn = -1;
    s.lockStr = " Door ";
    s.date = "2011.02.30";
    s.time1 = "08:00:00";
    s.today = 0;

    std::vector<std::string> written;
    CSettingsWriter recorder{
        [&](const std::string& name, int32_t v) { return written.push_back(name + "=" + std::to_string(v)), true; },
        [&](const std::string& name, const std::string& v) { return written.push_back(name + "=" + v), false; }};
    ShellServices().settingsWriter = recorder;
    ApplyMonitorSettings(s);
    ResetShellServices();

    EXPECT_EQ(written, (std::vector<std::string>{"gWarn=-1", "gList=3", "gLockStr= Door ", "gTrnsStr=", "gToday=0",
                                                 "gDescStr=", "gDate=2011.02.30", "gTime1=08:00:00", "gTime2="}));
    const CMonitorSettings now = CurrentMonitorSettings();
    EXPECT_EQ(now.list, 3);
    EXPECT_EQ(now.warn, -1);
    EXPECT_EQ(now.lockStr, " Door ");
    EXPECT_EQ(now.date, "2011.02.30");
    EXPECT_EQ(now.today, 0);
    EXPECT_EQ(gTime1, "08:00:00");
}
