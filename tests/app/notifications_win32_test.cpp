// Notifications on Windows: the tray icon's messages, as Windows 10 and 11
// show them, recorded where the program makes the call.

#include <QSystemTrayIcon>

#include "alert_fixture.h"
#include "tray_message_win32.h"

namespace {

struct CTrayMessage {
    QString title, text;
    QSystemTrayIcon::MessageIcon icon;
};

class TrayNotificationTest : public AlertsTest {
protected:
    void SetUp() override
    {
        AlertsTest::SetUp();
        m_previous = g_ShowTrayMessage;
        g_ShowTrayMessage = [this](QSystemTrayIcon&, const QString& title, const QString& text,
                                   QSystemTrayIcon::MessageIcon icon) { m_messages.push_back({title, text, icon}); };
    }
    void TearDown() override
    {
        AlertsTest::TearDown();
        g_ShowTrayMessage = m_previous;
    }

    std::vector<CTrayMessage> m_messages;
    ShowTrayMessageFn m_previous;
};

}  // namespace

TEST_F(TrayNotificationTest, EachHandOverIsATrayMessageWithinWindowsLimitsAndItsIconByLevel)
{
    Start();
    Store(1, kLevelAlarm, "Manipulation detected");
    Tick();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].title, "Alarm: Manipulation detected");
    EXPECT_EQ(m_messages[0].text, "Door 12\nSite 1\n14:05:01 2011.03.07");
    EXPECT_EQ(m_messages[0].icon, QSystemTrayIcon::Critical);

    // A long description with a character outside the BMP where it is cut.
    const std::string longDesc = std::string(52, 'x') + "\xf0\x9f\x94\x92" + std::string(18, 'y');
    Store(2, kLevelWarning, longDesc, std::string(300, 'L'));
    Tick();
    ASSERT_EQ(m_messages.size(), 2u);
    EXPECT_EQ(m_messages[1].icon, QSystemTrayIcon::Warning);
    EXPECT_EQ(m_messages[1].title, "Warning: " + QString(52, 'x') + QChar(0x2026));
    EXPECT_EQ(m_messages[1].text.size(), kTrayTextLimit);
    EXPECT_TRUE(m_messages[1].text.startsWith(QString(254, 'L') + QChar(0x2026)));

    Store(3, kLevelMessage, "Door opened");
    Tick();
    ASSERT_EQ(m_messages.size(), 3u);
    EXPECT_EQ(m_messages[2].icon, QSystemTrayIcon::Information);

    gNotify = 0;  // the Alerts dialog's switch
    Store(4, kLevelAlarm, "Manipulation detected");
    Tick();
    EXPECT_EQ(m_messages.size(), 3u);
}

TEST_F(TrayNotificationTest, AClickOnTheMessageShowsTheNewestEventItAnnounced)
{
    Start();
    Store(1, kLevelAlarm, "Manipulation detected");
    Tick();
    gNotify = 0;
    Store(2, kLevelMessage, "Door opened");
    Tick();
    ASSERT_EQ(m_messages.size(), 1u);
    m_dlg->hide();
    ASSERT_EQ(Field("edtMessage"), "Door opened");

    QSystemTrayIcon* tray = m_dlg->findChild<QSystemTrayIcon*>();
    ASSERT_NE(tray, nullptr);
    emit tray->messageClicked();
    ASSERT_SOON_EQ(Field("edtMessage"), "Manipulation detected");
    EXPECT_EQ(Field("edtCurrent"), "1");
    EXPECT_TRUE(m_dlg->isVisible());
}
