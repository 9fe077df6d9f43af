// Desktop notifications on a private session bus: a dbus-daemon of the
// test's own, and a small notification service that records what it gets.

#include <cstdlib>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVariantMap>

#include "alert_fixture.h"

namespace {

struct CNote {
    QString app, icon, summary, body;
    QStringList actions;
    QVariantMap hints;
    int timeout = 0;
    uint id = 0;
};

class CNotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    std::vector<CNote> m_notes;
    std::vector<uint> m_closed;

public slots:
    uint Notify(const QString& app, uint, const QString& icon, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int timeout)
    {
        m_notes.push_back({app, icon, summary, body, actions, hints, timeout, uint(m_notes.size() + 1)});
        return m_notes.back().id;
    }
    QStringList GetCapabilities() { return {"actions", "body", "body-markup"}; }
    void CloseNotification(uint id) { m_closed.push_back(id); }
};

// A session bus that knows no services but those the test registers.
class CPrivateBus {
public:
    CPrivateBus()
    {
        const QString config = m_dir.filePath("bus.conf");
        QFile file(config);
        file.open(QIODevice::WriteOnly);
        file.write("<busconfig><type>session</type><listen>unix:dir=" + m_dir.path().toUtf8()
                   + "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                     "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                     "<allow own=\"*\"/></policy></busconfig>");
        file.close();
        m_daemon.start(QStandardPaths::findExecutable("dbus-daemon"),
                       {"--config-file=" + config, "--nofork", "--print-address=1"});
        if (m_daemon.waitForReadyRead(10000))
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~CPrivateBus()
    {
        m_daemon.terminate();
        m_daemon.waitForFinished();
    }
    QString m_address;

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
};

class NotificationTest : public AlertsTest {
protected:
    void SetUp() override
    {
        AlertsTest::SetUp();
        ASSERT_FALSE(QStandardPaths::findExecutable("dbus-daemon").isEmpty()) << "scripts/install-deps installs it";
        ASSERT_FALSE(m_bus.m_address.isEmpty());
        setenv("DBUS_SESSION_BUS_ADDRESS", m_bus.m_address.toUtf8().constData(), 1);
    }
    void TearDown() override
    {
        AlertsTest::TearDown();
        QDBusConnection::disconnectFromBus("service");
    }
    void OfferService()
    {
        m_service = QDBusConnection::connectToBus(m_bus.m_address, "service");
        ASSERT_TRUE(m_service.registerObject("/org/freedesktop/Notifications", &m_notifications,
                                             QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(m_service.registerService("org.freedesktop.Notifications"));
    }
    // The user clicks the notification: its default action, "Show".
    void ChooseShow(uint id)
    {
        QDBusMessage invoked = QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                          "org.freedesktop.Notifications", "ActionInvoked");
        invoked << id << QString("default");
        m_service.send(invoked);
    }

    CPrivateBus m_bus;
    QDBusConnection m_service{QString()};
    CNotificationService m_notifications;
};

TEST_F(NotificationTest, NamesTheMostSevereEventWithUrgencyAndHintsByLevel)
{
    OfferService();
    Start();
    Store(1, kLevelAlarm, "Manipulation detected");
    Tick();
    ASSERT_SOON_EQ(m_notifications.m_notes.size(), 1u);
    const CNote alarm = m_notifications.m_notes[0];
    EXPECT_EQ(alarm.app, "Tellvane");
    EXPECT_EQ(alarm.icon, "tellvane");
    EXPECT_EQ(alarm.summary, "Alarm: Manipulation detected");
    EXPECT_EQ(alarm.body, "Door 12\nSite 1\n14:05:01 2011.03.07");
    EXPECT_EQ(alarm.actions, QStringList({"default", "Show"}));
    EXPECT_EQ(alarm.hints.value("urgency").userType(), QMetaType::UChar);
    EXPECT_EQ(alarm.hints.value("urgency").toInt(), 2);
    EXPECT_EQ(alarm.hints.value("desktop-entry").toString(), "tellvane");
    EXPECT_EQ(alarm.timeout, 0) << "an alarm stays until dismissed";

    Store(2, kLevelWarning, "Door <b>closed</b> & locked");
    Store(3, kLevelMessage, "Door opened");
    Store(4, kLevelMessage, "Door opened");
    Tick();
    ASSERT_SOON_EQ(m_notifications.m_notes.size(), 2u);
    const CNote several = m_notifications.m_notes[1];
    EXPECT_EQ(several.summary, "Warning: Door <b>closed</b> & locked");
    EXPECT_EQ(several.body, "Door 12\nSite 1\n14:05:02 2011.03.07\nand 2 more, the newest at 14:05:04 2011.03.07");
    EXPECT_EQ(several.hints.value("urgency").toInt(), 1) << "the warning among them decides";

    Store(5, kLevelMessage, "Door opened");
    Store(6, kLevelMessage, "Door opened", "<Door&>");
    Tick();
    ASSERT_SOON_EQ(m_notifications.m_notes.size(), 3u);
    EXPECT_EQ(m_notifications.m_notes[2].body, "&lt;Door&amp;&gt;\nSite 1\n14:05:06 2011.03.07\nand 1 more")
        << "a service that reads markup gets the texts escaped";
    EXPECT_EQ(m_notifications.m_notes[2].hints.value("urgency").toInt(), 0);
    EXPECT_EQ(m_notifications.m_notes[2].timeout, -1);

    gNotify = 0;
    Store(7, kLevelAlarm, "Manipulation detected");
    Tick();
    QTest::qWait(100);
    EXPECT_EQ(m_notifications.m_notes.size(), 3u);
}

TEST_F(NotificationTest, ShowActionSelectsThatEventInTheNavigator)
{
    OfferService();
    Start();
    Store(1, kLevelAlarm, "Manipulation detected");
    Tick();
    Store(2, kLevelMessage, "Door opened");
    Tick();
    ASSERT_SOON_EQ(m_notifications.m_notes.size(), 2u);
    m_dlg->hide();
    ASSERT_EQ(Field("edtMessage"), "Door opened");

    ChooseShow(m_notifications.m_notes[0].id);
    ASSERT_SOON_EQ(Field("edtMessage"), "Manipulation detected");
    EXPECT_EQ(Field("edtCurrent"), "1");
    EXPECT_TRUE(m_dlg->isVisible());
}

// A save writes version 8 to the file and leaves the stored event as it came,
// so the notification of a version-7 event still finds it.
TEST_F(NotificationTest, ShowFindsAVersion7EventAfterASave)
{
    OfferService();
    Start();
    ASSERT_TRUE(AddMessage("7" + EventText(1299506701, "Door forced").substr(1)));
    Tick();
    Store(2, kLevelMessage, "Door opened");
    Tick();
    ASSERT_SOON_EQ(m_notifications.m_notes.size(), 2u);
    m_dlg->OnFileSave();
    ASSERT_TRUE(m_boxes.isEmpty()) << m_boxes.join('\n').toStdString();
    m_dlg->hide();

    // The window comes forward either way; on the event only if it was found.
    ChooseShow(m_notifications.m_notes[0].id);
    EXPECT_SOON(m_dlg->isVisible());
    EXPECT_EQ(Field("edtMessage"), "Door forced");
    EXPECT_EQ(Field("edtCurrent"), "1");
}

// An alarm among routine messages must not hide behind the last of them,
// and its red note must not outlive it.
TEST_F(NotificationTest, AlarmHeadsItsHandOverAndItsNoteGoesOnceAllItToldOfIsRead)
{
    OfferService();
    Start();
    Store(1, kLevelMessage, "Door closed");
    Store(2, kLevelAlarm, "Glass break sensor", "Door 40 Vault");
    Store(3, kLevelMessage, "Door closed");
    Tick();
    ASSERT_SOON_EQ(m_notifications.m_notes.size(), 1u);
    const CNote note = m_notifications.m_notes[0];
    EXPECT_EQ(note.summary, "Alarm: Glass break sensor");
    EXPECT_EQ(note.body, "Door 40 Vault\nSite 1\n14:05:02 2011.03.07\nand 2 more, the newest at 14:05:03 2011.03.07");
    EXPECT_EQ(note.hints.value("urgency").toInt(), 2);
    EXPECT_EQ(Field("edtMessage"), "Door closed") << "the navigator shows the newest arrival";
    EXPECT_EQ(Tray()->ToolTip(), "Tellvane: 3 unread, 1 alarm: Glass break sensor, Door 40 Vault");

    ChooseShow(note.id);
    ASSERT_SOON_EQ(Field("edtMessage"), "Glass break sensor");
    EXPECT_EQ(Field("edtCurrent"), "2");
    m_dlg->findChild<QCheckBox*>("chkRead")->click();
    Tick();
    QTest::qWait(100);
    EXPECT_TRUE(m_notifications.m_closed.empty()) << "two events it told of are unread";
    EXPECT_EQ(Tray()->ToolTip(), "Tellvane: 2 unread");
    Click("btnAllRead");
    ASSERT_SOON_EQ(m_notifications.m_closed, std::vector<uint>{note.id});

    // Stepping onto an event deals with it too; being shown on arrival does not.
    Store(4, kLevelWarning, "Battery low");
    Tick();
    ASSERT_SOON_EQ(m_notifications.m_notes.size(), 2u);
    ASSERT_EQ(Field("edtMessage"), "Battery low");
    Tick();
    QTest::qWait(100);
    EXPECT_EQ(m_notifications.m_closed.size(), 1u);
    Click("btnPrevious");
    Click("btnNext");
    ASSERT_SOON_EQ(m_notifications.m_closed.size(), 2u);
    EXPECT_EQ(m_notifications.m_closed[1], m_notifications.m_notes[1].id);
}

int g_QtMessages = 0;
void CountMessage(QtMsgType, const QMessageLogContext&, const QString&) { ++g_QtMessages; }

TEST_F(NotificationTest, WithoutAServiceTheProgramIsUnaffectedAndSaysNothing)
{
    g_QtMessages = 0;
    const QtMessageHandler previous = qInstallMessageHandler(CountMessage);
    Start();
    for (int n = 1; n <= 2; ++n) {
        Store(n, kLevelWarning, "Battery low");
        Tick();
        QTest::qWait(100);  // time for the bus to answer that nobody is there
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(g_QtMessages, 0);
    EXPECT_EQ(m_sounds.size(), 2u);
    EXPECT_EQ(Field("edtCurrent"), "2");
    EXPECT_EQ(Tray()->ToolTip(), "Tellvane: 2 unread");
}

}  // namespace

#include "notifications_test.moc"
