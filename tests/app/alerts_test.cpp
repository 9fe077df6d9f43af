// The alerts beside the navigator: the tray icon follows the unread events,
// each level sounds its own, an unread alarm repeats, the shown event's
// level sits beside the banner, and the Alerts dialog keeps its options.

#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QSpinBox>

#include "alert_fixture.h"
#include "settings.h"

namespace {

constexpr CTone kAlarm{900, 500};

TEST_F(AlertsTest, TrayCountsTheUnreadAndIsMarkedWithTheirHighestLevel)
{
    Start();
    ASSERT_NE(Tray(), nullptr);
    EXPECT_EQ(Tray()->ToolTip(), "Tellvane: 0 unread");
    EXPECT_EQ(Tray()->Level(), kNoLevel);
    EXPECT_FALSE(Tray()->IsShown()) << "no tray without a tray host";

    Store(1, kLevelMessage, "Door opened");
    Store(2, kLevelAlarm, "Manipulation detected");
    Store(3, kLevelWarning, "Battery low");
    Tick();
    EXPECT_EQ(Tray()->ToolTip(), "Tellvane: 3 unread, 1 alarm: Manipulation detected, Door 12");
    EXPECT_EQ(Tray()->Level(), kLevelAlarm);

    Click("btnPrevious");
    m_dlg->findChild<QCheckBox*>("chkRead")->click();
    EXPECT_EQ(Tray()->ToolTip(), "Tellvane: 2 unread") << "Read counts at once";
    EXPECT_EQ(Tray()->Level(), kLevelWarning);

    Click("btnAllRead");
    EXPECT_EQ(Tray()->ToolTip(), "Tellvane: 0 unread");
    EXPECT_EQ(Tray()->Level(), kNoLevel);
}

TEST_F(AlertsTest, NavigatorShowsTheLevelWhereNoControlOfTheWindowIs)
{
    Start();
    m_dlg->show();
    auto* level = m_dlg->findChild<QLabel*>("lblLevel");
    auto* icon = m_dlg->findChild<QLabel*>("ctlLevelIcon");
    Tick();
    EXPECT_FALSE(level->isVisibleTo(m_dlg.get())) << "nothing shown, no level";

    Store(1, kLevelAlarm, "Manipulation detected");
    Store(2, 7, "A level without a name");
    Tick();
    EXPECT_FALSE(level->isVisibleTo(m_dlg.get())) << "as in the Monitor: no text, no icon";
    Click("btnPrevious");
    EXPECT_EQ(level->text(), "Alarm");
    EXPECT_FALSE(icon->pixmap().isNull());

    m_dlg->findChild<QLabel*>("ctlBanner")->show();
    for (QWidget* control : m_dlg->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (control == level || control == icon || !control->isVisibleTo(m_dlg.get()))
            continue;
        EXPECT_FALSE(control->geometry().intersects(level->geometry().united(icon->geometry())))
            << control->objectName().toStdString();
    }
}

TEST_F(AlertsTest, EachLevelSoundsItsOwnAndTheBeepSwitchSilencesAll)
{
    Start();
    Store(1, kLevelMessage, "Door opened");
    Tick();
    EXPECT_EQ(m_beeps, 1);
    EXPECT_TRUE(m_sounds.empty());

    Store(2, kLevelWarning, "Battery low");
    Store(3, kLevelMessage, "Door opened");
    Tick();
    ASSERT_EQ(m_sounds.size(), 1u) << "the highest level of the hand-over sounds";
    EXPECT_EQ(m_sounds[0], CToneSequence(2, kBeepTone));

    Store(4, kLevelAlarm, "Manipulation detected");
    Tick();
    ASSERT_EQ(m_sounds.size(), 2u);
    EXPECT_EQ(m_sounds[1], CToneSequence(3, kAlarm));

    gLevelSound = 0;
    Store(5, kLevelAlarm, "Manipulation detected");
    Tick();
    EXPECT_EQ(m_beeps, 2) << "one beep for every level";
    gBeep = 0;
    Store(6, kLevelAlarm, "Manipulation detected");
    Tick();
    EXPECT_EQ(m_beeps, 2);
    EXPECT_EQ(m_sounds.size(), 2u);
}

TEST_F(AlertsTest, UnreadAlarmRepeatsUntilReadOrAllRead)
{
    ShellServices().timerPeriods.alarmRepeat = 20;
    Start();
    Store(1, kLevelAlarm, "Manipulation detected");
    Tick();
    QTest::qWait(100);
    EXPECT_EQ(m_sounds.size(), 1u) << "off by default";

    gAlarmRepeat = 1;
    Store(2, kLevelAlarm, "Manipulation detected");
    Tick();
    EXPECT_SOON(m_sounds.size() >= 4);
    for (const CToneSequence& sound : m_sounds)
        EXPECT_EQ(sound, CToneSequence(3, kAlarm));

    m_dlg->findChild<QCheckBox*>("chkRead")->click();
    Click("btnPrevious");
    m_dlg->findChild<QCheckBox*>("chkRead")->click();
    const size_t afterRead = m_sounds.size();
    QTest::qWait(100);
    EXPECT_EQ(m_sounds.size(), afterRead) << "Read on the last unread alarm stops it";

    Store(3, kLevelAlarm, "Manipulation detected");
    Tick();
    EXPECT_SOON(m_sounds.size() >= afterRead + 3);
    Click("btnAllRead");
    const size_t afterAllRead = m_sounds.size();
    QTest::qWait(100);
    EXPECT_EQ(m_sounds.size(), afterAllRead);
}

TEST_F(AlertsTest, AlertsDialogFromTheFileMenuStoresItsOptionsUnderNamesOfTheirOwn)
{
    {
        QSettings file(SettingsFile(), QSettings::IniFormat);
        file.setValue("Settings/gRepeatSecs", 5);
    }
    Start();
    EXPECT_EQ(gNotify, 1);
    EXPECT_EQ(gLevelSound, 1);
    EXPECT_EQ(gAlarmRepeat, 0);
    EXPECT_EQ(gRepeatSecs, 10) << "an interval out of range is brought into it";

    auto* file = m_dlg->findChild<QMenu*>("menuFile");
    emit file->aboutToShow();
    const QList<QAction*> entries = file->actions();
    ASSERT_GE(entries.size(), 2);
    EXPECT_EQ(entries[1]->text(), "&Alerts...");

    WhenModal([](QWidget* dlg) { QTest::keyClick(dlg, Qt::Key_Escape); });
    entries[1]->trigger();
    EXPECT_FALSE(QSettings(SettingsFile(), QSettings::IniFormat).contains("Settings/gAlarmRepeat"));

    WhenModal([](QWidget* dlg) {
        auto* interval = dlg->findChild<QSpinBox*>("spnRepeatSecs");
        EXPECT_FALSE(interval->isEnabled()) << "no interval while the repeat is off";
        dlg->findChild<QCheckBox*>("chkAlarmRepeat")->click();
        dlg->findChild<QCheckBox*>("chkNotify")->click();
        interval->setValue(700);
        EXPECT_EQ(interval->value(), 600);
        interval->setValue(45);
        QTest::mouseClick(dlg->findChild<QWidget*>("btnOK"), Qt::LeftButton);
    });
    entries[1]->trigger();
    EXPECT_EQ(gAlarmRepeat, 1);
    EXPECT_EQ(gRepeatSecs, 45);
    QSettings stored(SettingsFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value("Settings/gNotify").toInt(), 0);
    EXPECT_EQ(stored.value("Settings/gLevelSound").toInt(), 1);
    EXPECT_EQ(stored.value("Settings/gAlarmRepeat").toInt(), 1);
    EXPECT_EQ(stored.value("Settings/gRepeatSecs").toInt(), 45);
    EXPECT_FALSE(stored.contains("Settings/gBeep")) << "the eleven settings are left alone";
}

// Sounds are the Options' beep first: while it is off, the Alerts dialog
// must not look as if an alarm would sound.
TEST_F(AlertsTest, WithTheBeepOffTheAlertsDialogShowsItsSoundsOffAndKeepsTheirValues)
{
    Start();
    gBeep = 0;
    gAlarmRepeat = 1;
    auto* file = m_dlg->findChild<QMenu*>("menuFile");
    emit file->aboutToShow();
    QAction* alerts = m_dlg->findChild<QAction*>("actionAlerts");
    ASSERT_NE(alerts, nullptr);
    WhenModal([](QWidget* dlg) {
        for (const char* sound : {"chkLevelSound", "chkAlarmRepeat", "spnRepeatSecs"})
            EXPECT_FALSE(dlg->findChild<QWidget*>(sound)->isEnabled()) << sound;
        EXPECT_TRUE(dlg->findChild<QCheckBox*>("chkAlarmRepeat")->isChecked());
        EXPECT_TRUE(dlg->findChild<QWidget*>("chkNotify")->isEnabled());
        auto* why = dlg->findChild<QLabel*>("lblSoundsOff");
        EXPECT_TRUE(why->isVisible());
        EXPECT_EQ(why->text(), QString::fromUtf8("Sounds are off under Options \u25b8 Beep."));
        QTest::mouseClick(dlg->findChild<QWidget*>("btnOK"), Qt::LeftButton);
    });
    alerts->trigger();
    EXPECT_EQ(gAlarmRepeat, 1);
    EXPECT_EQ(gLevelSound, 1);
    EXPECT_FALSE(QSettings(SettingsFile(), QSettings::IniFormat).contains("Settings/gAlarmRepeat"));

    gBeep = 1;
    WhenModal([](QWidget* dlg) {
        EXPECT_FALSE(dlg->findChild<QLabel*>("lblSoundsOff")->isVisible());
        EXPECT_TRUE(dlg->findChild<QWidget*>("chkLevelSound")->isEnabled());
        EXPECT_TRUE(dlg->findChild<QWidget*>("spnRepeatSecs")->isEnabled());
        QTest::keyClick(dlg, Qt::Key_Escape);
    });
    alerts->trigger();
}

}  // namespace
