// Where the user looks: a held endpoint, and an archive that cannot be made,
// show in the navigator's title.
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>

#include "intake_test_support.h"
#include "navigator_dlg.h"
#include "widget_fixture.h"

namespace {

using EndpointNoticeTest = WidgetTest;

// Runs the event loop until the window's title is title.
bool WaitForTitle(const QWidget& window, const QString& title)
{
    QDeadlineTimer deadline(10000);
    while (window.windowTitle() != title && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return window.windowTitle() == title;
}

}  // namespace

TEST_F(EndpointNoticeTest, TheTitleNamesTheHolderUntilTheEndpointIsTaken)
{
    const std::string endpoint = EndpointName();  // the fixture's own
    CSquatter squatter(endpoint);
    ASSERT_TRUE(squatter.Holds());
    CNavigatorDlg navigator;
    ASSERT_TRUE(navigator.OnInitDialog());
    const QString caption = navigator.windowTitle();
    EXPECT_EQ(caption, "Tellvane");

    const QString notice = QString("Not receiving events: the endpoint %1 is held by process %2 (user %3)")
                               .arg(QString::fromStdString(endpoint))
                               .arg(getpid())
                               .arg(QString::fromStdString(PeerUserName({getpid(), getuid()})));
    EXPECT_TRUE(WaitForTitle(navigator, caption + " - " + notice)) << navigator.windowTitle().toStdString();
    squatter.Leave();
    EXPECT_TRUE(WaitForTitle(navigator, caption)) << navigator.windowTitle().toStdString();
    EXPECT_TRUE(m_boxes.isEmpty()) << "a notice, not a box to dismiss";
}

TEST_F(EndpointNoticeTest, AnArchiveThatCannotBeMadeIsNamedBesideTheEndpoint)
{
    const std::string endpoint = EndpointName();
    CSquatter squatter(endpoint);
    ASSERT_TRUE(squatter.Holds());
    // A file where the data folder, and so the archive, would be made.
    const QString folder = m_home->path() + "/Tellvane";
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    CNavigatorDlg navigator;
    ASSERT_TRUE(navigator.OnInitDialog());

    const QString held = QString("Not receiving events: the endpoint %1 is held by process %2 (user %3)")
                             .arg(QString::fromStdString(endpoint))
                             .arg(getpid())
                             .arg(QString::fromStdString(PeerUserName({getpid(), getuid()})));
    const QString archive = "Not archiving events: " + folder + ": cannot make the folder";
    EXPECT_TRUE(WaitForTitle(navigator, "Tellvane - " + held + " - " + archive)) << navigator.windowTitle().toStdString();
    squatter.Leave();
    EXPECT_TRUE(WaitForTitle(navigator, "Tellvane - " + archive)) << navigator.windowTitle().toStdString();
    EXPECT_TRUE(m_boxes.isEmpty()) << "notices, not boxes to dismiss";
}
