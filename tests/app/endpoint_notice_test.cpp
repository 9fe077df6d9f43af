// Where the user looks: a held endpoint shows in the navigator's title.
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>

#include "intake_test_support.h"
#include "navigator_dlg.h"
#include "widget_fixture.h"

namespace {

class EndpointNoticeTest : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        m_strEndpoint = UniqueEndpointName();
        setenv("TELLVANE_ENDPOINT", m_strEndpoint.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("TELLVANE_ENDPOINT");
        WidgetTest::TearDown();
    }

    // Runs the event loop until the title is title.
    static bool WaitForTitle(const QWidget& window, const QString& title)
    {
        QDeadlineTimer deadline(10000);
        while (window.windowTitle() != title && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return window.windowTitle() == title;
    }

    std::string m_strEndpoint;
};

}  // namespace

TEST_F(EndpointNoticeTest, TheTitleNamesTheHolderUntilTheEndpointIsTaken)
{
    CSquatter squatter(m_strEndpoint);
    ASSERT_TRUE(squatter.Holds());
    CNavigatorDlg navigator;
    ASSERT_TRUE(navigator.OnInitDialog());
    const QString caption = navigator.windowTitle();
    EXPECT_EQ(caption, "Tellvane");

    const QString notice = QString("Not receiving events: the endpoint %1 is held by process %2 (user %3)")
                               .arg(QString::fromStdString(m_strEndpoint))
                               .arg(getpid())
                               .arg(QString::fromStdString(PeerUserName({getpid(), getuid()})));
    EXPECT_TRUE(WaitForTitle(navigator, caption + " - " + notice)) << navigator.windowTitle().toStdString();
    squatter.Leave();
    EXPECT_TRUE(WaitForTitle(navigator, caption)) << navigator.windowTitle().toStdString();
    EXPECT_TRUE(m_boxes.isEmpty()) << "a notice, not a box to dismiss";
}
