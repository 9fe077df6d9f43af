// The navigator as a user meets it: start-up, arrivals, navigation, the Read
// box and banner, the undone typing, leaving.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>

#include "event_file.h"
#include "event_store.h"
#include "monitor_dlg.h"
#include "monitor_model.h"
#include "navigator_dlg.h"
#include "settings.h"
#include "shell_services.h"
#include "widget_fixture.h"

namespace {

class NavigatorTest : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        m_dlg = std::make_unique<CNavigatorDlg>();
        ASSERT_TRUE(m_dlg->OnInitDialog());
    }
    void TearDown() override
    {
        m_dlg.reset();
        WidgetTest::TearDown();
    }

    QString Field(const char* name) const { return m_dlg->findChild<QLineEdit*>(name)->text(); }
    QLineEdit* Edit(const char* name) const { return m_dlg->findChild<QLineEdit*>(name); }
    bool ReadBox() const { return m_dlg->findChild<QCheckBox*>("chkRead")->isChecked(); }
    QLabel* Banner() const { return m_dlg->findChild<QLabel*>("ctlBanner"); }
    void Click(const char* button) { QTest::mouseClick(m_dlg->findChild<QWidget*>(button), Qt::LeftButton); }
    void ClickRead() { m_dlg->findChild<QCheckBox*>("chkRead")->click(); }
    void Tick() { m_dlg->OnTimer(kTimerRefresh); }
    // Stores n events with ascending times, descriptions "Event 1" ... "Event n".
    void Store(int n, int first = 1)
    {
        for (int i = first; i < first + n; ++i)
            ASSERT_TRUE(AddMessage(EventText(1299506700 + i, "Event " + std::to_string(i))));
    }
    void ExpectShown(const char* desc, int current, int total)
    {
        EXPECT_EQ(Field("edtMessage"), desc);
        EXPECT_EQ(Field("edtCurrent"), QString::number(current));
        EXPECT_EQ(Field("edtTotal"), QString::number(total));
    }

    std::unique_ptr<CNavigatorDlg> m_dlg;
};

TEST_F(NavigatorTest, StartsEmptyAndTheFirstTickShowsNothingButCounters)
{
    EXPECT_EQ(max_messages, 500);
    EXPECT_EQ(static_cast<int>(g_Array.size()), 500);
    EXPECT_EQ(Field("edtTimeDate"), "");
    Tick();
    ExpectShown("", 0, 0);
    EXPECT_EQ(Field("edtTimeDate"), " ");
    EXPECT_FALSE(Banner()->isVisibleTo(m_dlg.get()));
    EXPECT_TRUE(m_boxes.isEmpty());
}

TEST_F(NavigatorTest, StartsWithTheEventsOfTheDataFileWithoutAnnouncingThem)
{
    Store(3);
    g_Array[1].read = 1;
    SetMaxMessages(200);
    m_dlg->OnFileSave();
    m_dlg.reset();

    m_dlg = std::make_unique<CNavigatorDlg>();
    ASSERT_TRUE(m_dlg->OnInitDialog());
    EXPECT_EQ(max_messages, 200) << "the capacity comes from the file";
    EXPECT_EQ(max_used_item, 2);
    EXPECT_EQ(g_Array[1].read, 1);
    EXPECT_EQ(Field("edtMessage"), "") << "nothing shown before the first refresh";
    Tick();
    ExpectShown("Event 3", 3, 3);
    EXPECT_EQ(m_beeps, 0);
    EXPECT_TRUE(m_boxes.isEmpty());
}

TEST_F(NavigatorTest, FailedSaveSaysSoAndTheProgramGoesOn)
{
    // The data folder cannot be made where a file stands in its way. Put
    // there before start-up, which makes the folder for the event archive:
    // an archive that cannot be made shows no box.
    m_dlg.reset();
    ASSERT_TRUE(QDir(m_home->path() + "/Tellvane").removeRecursively());
    QFile blocker(m_home->path() + "/Tellvane");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_dlg = std::make_unique<CNavigatorDlg>();
    ASSERT_TRUE(m_dlg->OnInitDialog());
    Store(1);
    m_dlg->findChild<QAction*>("actionSave")->trigger();
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_FALSE(m_boxes[0].isEmpty());

    m_answers = {QMessageBox::Yes};
    m_dlg->show();
    m_dlg->OnExit();
    EXPECT_EQ(m_boxes.size(), 3) << "the question, then the failed final save";
    EXPECT_FALSE(m_dlg->isVisible()) << "the exit goes on";
}

// A save that fails at exit leaves a rescue copy and says where; only the
// user's own exit shows it in a box, a signal or the session's end waits
// for nobody.
TEST_F(NavigatorTest, FailedExitSaveKeepsARescueCopyAndASignalShowsNoBox)
{
    m_dlg.reset();
    ASSERT_TRUE(QDir(m_home->path() + "/Tellvane").removeRecursively());
    QFile blocker(m_home->path() + "/Tellvane");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_dlg = std::make_unique<CNavigatorDlg>();
    ASSERT_TRUE(m_dlg->OnInitDialog());
    Store(2);
    m_answers = {QMessageBox::Yes};
    m_dlg->OnExit();
    ASSERT_EQ(m_boxes.size(), 2);
    EXPECT_TRUE(m_boxes[1].contains("\nThe events were written to " + m_home->path() + "/state/Tellvane/zqtvane.dat.rescue-"))
        << m_boxes[1].toStdString();
    EXPECT_EQ(m_dlg->ExitStatus(), 1);

    m_dlg = std::make_unique<CNavigatorDlg>();
    ASSERT_TRUE(m_dlg->OnInitDialog());
    Store(1, 3);
    m_dlg->ExitWithoutAsking();
    EXPECT_EQ(m_boxes.size(), 2) << "a box waited for an answer nobody gives";
    EXPECT_EQ(m_dlg->ExitStatus(), 1);
    EXPECT_EQ(QDir(m_home->path() + "/state/Tellvane").entryList(QDir::Files).size(), 2);
}

TEST_F(NavigatorTest, SecondInstanceIsRefusedWithItsMessage)
{
    CNavigatorDlg second;
    EXPECT_FALSE(second.OnInitDialog());
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_EQ(m_boxes[0], "The program is already executing on this computer!");
}

TEST_F(NavigatorTest, ThreeArrivalsBetweenTicksBeepOnceAndShowTheNewest)
{
    Store(2);
    Tick();
    EXPECT_EQ(m_beeps, 1);
    Store(3, 3);
    Tick();
    EXPECT_EQ(m_beeps, 2);
    ExpectShown("Event 5", 5, 5);
    EXPECT_EQ(Field("edtTimeDate"), "14:05:05 2011.03.07");
    EXPECT_EQ(Field("edtLocking"), "Door 12");
    EXPECT_EQ(Field("edtLockingSystem"), "Site 1");
    EXPECT_EQ(new_arrived, 0);
    Tick();
    EXPECT_EQ(m_beeps, 2) << "no arrival, no beep";
}

TEST_F(NavigatorTest, SwitchesTurnOffTheBeepAndTheComingForward)
{
    gBeep = 0;
    gPop = 0;
    m_dlg->show();
    m_dlg->showMinimized();
    Store(1);
    Tick();
    EXPECT_EQ(m_beeps, 0);
    EXPECT_TRUE(m_dlg->isMinimized());
    ExpectShown("Event 1", 1, 1);

    gPop = 1;
    m_dlg->move(g_WndPlacement.topLeft() + QPoint(40, 30));
    Store(1, 2);
    Tick();
    EXPECT_FALSE(m_dlg->isMinimized());
    EXPECT_TRUE(m_dlg->isVisible());
    EXPECT_EQ(QRect(m_dlg->pos(), m_dlg->size()), g_WndPlacement);
}

TEST_F(NavigatorTest, MonitorTakesTheScreenUntilAnArrivalBringsTheNavigatorBack)
{
    gToday = 0;  // the test events are not from today
    m_dlg->show();
    Store(1);
    Tick();
    Click("btnMonitor");
    ASSERT_NE(m_dlg->m_pMonitor, nullptr);
    EXPECT_TRUE(m_dlg->m_pMonitor->isVisible());
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(m_dlg->m_pMonitor->Model().rowCount(), 1);

    Store(2, 2);
    Tick();
    EXPECT_TRUE(m_dlg->isVisible()) << "gPop brings the navigator back";
    EXPECT_EQ(m_dlg->m_pMonitor->Model().rowCount(), 3) << "the Monitor is refilled";

    m_dlg->hide();
    emit m_dlg->m_pMonitor->showNavigator();
    EXPECT_TRUE(m_dlg->isVisible());
    CMonitorDlg* first = m_dlg->m_pMonitor;
    Click("btnMonitor");
    EXPECT_EQ(m_dlg->m_pMonitor, first) << "one Monitor for the whole run";
}

TEST_F(NavigatorTest, NavigationStopsAtBothEndsAndWalksArrivalOrder)
{
    // Arrival order differs from time order: navigation follows arrival.
    ASSERT_TRUE(AddMessage(EventText(1299506900, "Late")));
    ASSERT_TRUE(AddMessage(EventText(1299506700, "Early")));
    ASSERT_TRUE(AddMessage(EventText(1299506800, "Middle")));
    Tick();
    ExpectShown("Middle", 3, 3);
    Click("btnNext");
    ExpectShown("Middle", 3, 3);
    Click("btnPrevious");
    ExpectShown("Early", 2, 3);
    Click("btnFirst");
    ExpectShown("Late", 1, 3);
    Click("btnPrevious");
    ExpectShown("Late", 1, 3);
    EXPECT_EQ(req_item, cur_item);
    Click("btnLast");
    ExpectShown("Middle", 3, 3);
}

TEST_F(NavigatorTest, EmptyStoreIgnoresNavigationAndTheReadBox)
{
    for (const char* button : {"btnFirst", "btnLast", "btnNext", "btnPrevious"}) {
        Click(button);
        ExpectShown("", 0, 0);
    }
    ClickRead();
    EXPECT_FALSE(ReadBox());
    EXPECT_EQ(cur_item, -1);
}

TEST_F(NavigatorTest, UnreadEventBlinksTheBannerUntilItIsRead)
{
    Store(2);
    Tick();
    ASSERT_TRUE(Banner()->isVisibleTo(m_dlg.get()));
    const QImage first = Banner()->pixmap().toImage();
    Tick();
    ASSERT_TRUE(Banner()->isVisibleTo(m_dlg.get()));
    EXPECT_NE(Banner()->pixmap().toImage(), first) << "the two images alternate";
    EXPECT_EQ(Banner()->size(), QSize(180, 64));

    ClickRead();
    EXPECT_EQ(g_Array[1].read, 1) << "the box is written back at once";
    EXPECT_EQ(g_Array[0].read, 0);
    Tick();
    EXPECT_FALSE(Banner()->isVisibleTo(m_dlg.get()));

    Click("btnPrevious");
    EXPECT_FALSE(ReadBox());
    Tick();
    EXPECT_TRUE(Banner()->isVisibleTo(m_dlg.get())) << "moving to an unread event blinks again";
}

TEST_F(NavigatorTest, AllReadMarksEveryEventAndStopsTheBanner)
{
    Store(3);
    Tick();
    Click("btnAllRead");
    EXPECT_TRUE(ReadBox());
    for (int slot = 0; slot <= max_used_item; ++slot)
        EXPECT_EQ(g_Array[slot].read, 1);
    Tick();
    EXPECT_FALSE(Banner()->isVisibleTo(m_dlg.get()));
    EXPECT_EQ(m_dlg->m_Shown.read, 1);
}

TEST_F(NavigatorTest, ReadBoxChangeSurvivesAnImmediateMoveOrArrival)
{
    Store(2);
    Tick();
    ClickRead();
    Click("btnPrevious");
    EXPECT_EQ(g_Array[1].read, 1);

    // Ticked while an arrival waits for its hand-over: the box belongs to
    // the event on screen, not to the arrival that is now current.
    Store(1, 3);
    ClickRead();
    Tick();
    EXPECT_EQ(g_Array[0].read, 1);
    EXPECT_EQ(g_Array[2].read, 0);
    ExpectShown("Event 3", 3, 3);
}

TEST_F(NavigatorTest, TypingIntoAFieldIsUndone)
{
    Store(1);
    Tick();
    QTest::keyClicks(Edit("edtMessage"), "xyz");
    EXPECT_EQ(Field("edtMessage"), "Event 1");
    Edit("edtTimeDate")->clear();
    EXPECT_EQ(Field("edtTimeDate"), "14:05:01 2011.03.07");
    EXPECT_FALSE(Edit("edtName")->isVisibleTo(m_dlg.get()));
    EXPECT_EQ(Field("edtName"), "Anna") << "hidden fields are filled all the same";
    EXPECT_EQ(Field("edtGroupId"), "7");
    EXPECT_EQ(Field("edtMemberId"), "3");
}

TEST_F(NavigatorTest, TextNotInUtf8ReadsRightAndKeepsItsReadBox)
{
    ASSERT_TRUE(AddMessage(EventText(1299506701, "T\xfcr ge\xf6" "ffnet")));  // Windows-1252
    Tick();
    EXPECT_EQ(Field("edtMessage"), QString::fromUtf8("T\xc3\xbcr ge\xc3\xb6" "ffnet"));
    ClickRead();
    Tick();
    Tick();
    EXPECT_TRUE(ReadBox());
    EXPECT_EQ(g_Array[0].read, 1);
    EXPECT_FALSE(Banner()->isVisibleTo(m_dlg.get()));
    EXPECT_EQ(g_Array[0].desc, "T\xfcr ge\xf6" "ffnet") << "the record keeps its bytes";
}

TEST_F(NavigatorTest, LongTextShowsItsBeginningAfterEveryRefill)
{
    const std::string longText = "Door opened with the emergency key" + std::string(300, '.');
    ASSERT_TRUE(AddMessage(EventText(1299506701, longText)));
    Store(1, 2);
    Tick();
    Click("btnPrevious");
    ASSERT_EQ(Field("edtMessage").toStdString(), longText);
    EXPECT_EQ(Edit("edtMessage")->cursorPosition(), 0);
    EXPECT_EQ(QTextDocumentFragment::fromHtml(Edit("edtMessage")->toolTip()).toPlainText().toStdString(), longText)
        << "a cut text can be read whole";
    EXPECT_EQ(Edit("edtLocking")->toolTip(), "") << "one that fits needs no tooltip";
    QTest::keyClicks(Edit("edtMessage"), "x");
    EXPECT_EQ(Edit("edtMessage")->cursorPosition(), 0) << "undone typing shows the beginning too";
}

TEST_F(NavigatorTest, EveryWayOutAsksAndNoKeepsItRunning)
{
    m_dlg->show();
    Store(1);
    QTest::keyClick(m_dlg.get(), Qt::Key_Escape);
    EXPECT_EQ(m_boxes.size(), 1);
    Click("btnExit");
    EXPECT_EQ(m_boxes.size(), 2);
    QTest::keyClick(Edit("edtMessage"), Qt::Key_Return);
    EXPECT_EQ(m_boxes.size(), 3);
    m_dlg->close();
    ASSERT_EQ(m_boxes.size(), 4);
    for (const QString& box : m_boxes)
        EXPECT_EQ(box, "If you end this program, you can receive no more\nmessages from the Ordana Software.\n\nContinue?");
    EXPECT_TRUE(m_dlg->isVisible());

    m_answers = {QMessageBox::Yes};
    Click("btnExit");
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
}

// A stray Enter or Escape on the exit question must not end the agent; only
// a deliberate Yes does. Its boxes carry the program's name.
TEST_F(NavigatorTest, ExitQuestionDefaultsToNo)
{
    Click("btnExit");
    ASSERT_EQ(m_defaultButtons.size(), 1u);
    EXPECT_EQ(m_defaultButtons[0], QMessageBox::No);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        const auto box = MakeMessageBox(nullptr, m_boxes[0], QMessageBox::Yes | QMessageBox::No, m_defaultButtons[0]);
        EXPECT_EQ(box->windowTitle(), "Tellvane");
        box->show();
        QTest::keyClick(box.get(), key);
        EXPECT_EQ(box->result(), QMessageBox::No) << key;
    }
}

TEST_F(NavigatorTest, SessionEndLeavesWithoutAsking)
{
    m_dlg->show();
    m_dlg->ExitWithoutAsking();
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_TRUE(m_boxes.isEmpty());
}

TEST_F(NavigatorTest, OpeningTheMonitorKeepsTheProgramRunningUntilItEnds)
{
    m_dlg.reset();  // run a navigator the way the program runs it
    CNavigatorDlg navigator;
    bool ranOn = false;
    QTimer later;
    later.setSingleShot(true);
    QObject::connect(&later, &QTimer::timeout, [&] {
        ranOn = navigator.m_pMonitor && navigator.m_pMonitor->isVisible();
        AddMessage(EventText(1299506800, "While the Monitor was up"));
        navigator.ExitWithoutAsking();
    });
    QTimer::singleShot(0, &navigator, [&] {
        navigator.OnMonitor();  // hides the navigator
        later.start(50);
    });
    navigator.DoModal();
    EXPECT_TRUE(ranOn) << "hiding the navigator ended the program";

    ResetStore();
    CSimpleMessage shown;
    EXPECT_EQ(LoadEventFile(shown).kind, FileOutcome::Loaded);
    EXPECT_EQ(shown.desc, "While the Monitor was up") << "the final save ran";
}

TEST_F(NavigatorTest, SessionEndWhileAMonitorDialogIsOpenSavesAndLeaves)
{
    Store(1);
    m_dlg->OnMonitor();
    WhenModal([this](QWidget*) { m_dlg->ExitWithoutAsking(); });
    m_dlg->m_pMonitor->OnConfigure();  // returns once the session end closed it
    QTest::qWait(10);                  // the Monitor goes once its loop is left
    EXPECT_EQ(m_dlg->m_pMonitor, nullptr);
    EXPECT_FALSE(m_dlg->isVisible());
    CSimpleMessage shown;
    EXPECT_EQ(LoadEventFile(shown).kind, FileOutcome::Loaded);
}

TEST_F(NavigatorTest, QuitDuringARefusedStartSavesNothing)
{
    Store(2);
    m_dlg->OnFileSave();
    Store(1, 3);  // not saved yet: the running instance saves it later
    CNavigatorDlg second;
    second.ExitWithoutAsking();  // a SIGTERM while the refusal is shown
    EXPECT_FALSE(second.OnInitDialog());
    ResetStore();
    CSimpleMessage shown;
    ASSERT_EQ(LoadEventFile(shown).kind, FileOutcome::Loaded);
    EXPECT_EQ(max_used_item, 1) << "the refused instance overwrote the data file";
}

TEST_F(NavigatorTest, AboutEntryClosesTheFileMenuAndOpensTheAboutBox)
{
    auto* file = m_dlg->findChild<QMenu*>("menuFile");
    const QList<QAction*> actions = file->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), "&Save");
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), "Corrant Inf&o");
    EXPECT_EQ(actions[2]->property("commandId").toInt(), 16);

    QString caption;
    WhenModal([&caption](QWidget* about) {
        caption = about->windowTitle();
        QTest::keyClick(about, Qt::Key_Escape);
    });
    actions[2]->trigger();
    EXPECT_EQ(caption, "Tellvane info");
    EXPECT_TRUE(m_boxes.isEmpty());
}

}  // namespace
