// A started navigator whose sounds are recorded, and events of each level.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include "alert_settings.h"
#include "alert_tray.h"
#include "event_store.h"
#include "navigator_dlg.h"
#include "shell_services.h"
#include "widget_fixture.h"

// Waits up to five seconds for a condition, then checks it. Qt's QTRY_
// macros report to Qt Test, which GoogleTest never hears of: a failing one
// would only end the test early, as if it had passed.
#define EXPECT_SOON(condition)                                        \
    do {                                                              \
        (void)QTest::qWaitFor([&] { return bool(condition); }, 5000); \
        EXPECT_TRUE(condition);                                       \
    } while (0)
#define ASSERT_SOON_EQ(actual, expected)                                     \
    do {                                                                     \
        (void)QTest::qWaitFor([&] { return (actual) == (expected); }, 5000); \
        ASSERT_EQ(actual, expected);                                         \
    } while (0)

class AlertsTest : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        ResetAlertSettings();
        ShellServices().playTones = [this](const CToneSequence& tones) { m_sounds.push_back(tones); };
    }
    void TearDown() override
    {
        m_dlg.reset();
        WidgetTest::TearDown();
    }
    void Start()
    {
        m_dlg = std::make_unique<CNavigatorDlg>();
        ASSERT_TRUE(m_dlg->OnInitDialog());
    }

    // Stores one event of the level; its time, ttime 1299506700 + n, makes
    // it distinct and gives it the time 14:05:nn.
    static void Store(int n, int level, const std::string& desc, const std::string& locking = "Door 12")
    {
        std::string text = EventText(1299506700 + n, desc);
        text.replace(text.find(",7,3,0,"), 7, ",7,3," + std::to_string(level) + ",");
        text.replace(text.find("Door 12"), 7, locking);
        ASSERT_TRUE(AddMessage(text));
    }
    void Tick() { m_dlg->OnTimer(kTimerRefresh); }
    void Click(const char* button) { QTest::mouseClick(m_dlg->findChild<QWidget*>(button), Qt::LeftButton); }
    QString Field(const char* name) const { return m_dlg->findChild<QLineEdit*>(name)->text(); }
    CAlertTray* Tray() const { return m_dlg->findChild<CAlertTray*>(); }

    std::unique_ptr<CNavigatorDlg> m_dlg;
    std::vector<CToneSequence> m_sounds;  // warnings' and alarms' sounds, in order
};
