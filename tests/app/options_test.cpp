// The Options dialog: the capacity's range check however the field is left
// or the dialog confirmed, and what OnOptions writes and changes.

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include "event_store.h"
#include "navigator_dlg.h"
#include "options_dlg.h"
#include "settings.h"
#include "widget_fixture.h"

namespace {

const QString kRangeMessage = "The value should be between 100 and 10000";

class OptionsTest : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        m_dlg = std::make_unique<COptionsDlg>();
        m_dlg->m_nMaxMessages = 500;
        m_dlg->DoDataExchange(false);
        m_dlg->show();
        QApplication::setActiveWindow(m_dlg.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dlg.get()));
    }
    void TearDown() override
    {
        m_dlg.reset();
        WidgetTest::TearDown();
    }
    void TypeMax(const QString& text)
    {
        m_dlg->m_ctlMax->setFocus();
        m_dlg->m_ctlMax->selectAll();
        QTest::keyClicks(m_dlg->m_ctlMax, text);
    }

    std::unique_ptr<COptionsDlg> m_dlg;
};

TEST_F(OptionsTest, LeavingTheFieldWithAValueOutOfRangeRefusesIt)
{
    for (const QString value : {"50", "99", "10001"}) {
        m_boxes.clear();
        TypeMax(value);
        QTest::keyClick(m_dlg->m_ctlMax, Qt::Key_Tab);
        QApplication::processEvents();
        ASSERT_EQ(m_boxes, QStringList{kRangeMessage}) << value.toStdString();
        EXPECT_EQ(m_dlg->m_ctlMax->text(), "100");
        EXPECT_EQ(m_dlg->m_ctlMax->selectedText(), "100");
        EXPECT_TRUE(m_dlg->m_ctlMax->hasFocus());
        EXPECT_EQ(m_dlg->m_nMaxMessages, 100);
    }
}

TEST_F(OptionsTest, BoundsAreAccepted)
{
    for (const QString value : {"100", "10000"}) {
        TypeMax(value);
        QTest::keyClick(m_dlg->m_ctlMax, Qt::Key_Tab);
        QApplication::processEvents();
        EXPECT_EQ(m_dlg->m_nMaxMessages, value.toInt());
    }
    EXPECT_TRUE(m_boxes.isEmpty());
}

TEST_F(OptionsTest, FieldTakesOnlyDigits)
{
    TypeMax("1a-2 3");
    EXPECT_EQ(m_dlg->m_ctlMax->text(), "123");
}

TEST_F(OptionsTest, EnterInTheFieldChecksTheRangeToo)
{
    TypeMax("20");
    QTest::keyClick(m_dlg->m_ctlMax, Qt::Key_Return);
    EXPECT_EQ(m_boxes, QStringList{kRangeMessage});
    EXPECT_TRUE(m_dlg->isVisible()) << "a refused value keeps the dialog open";
    EXPECT_EQ(m_dlg->m_ctlMax->text(), "100");

    QTest::keyClick(m_dlg->m_ctlMax, Qt::Key_Return);
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(m_dlg->result(), QDialog::Accepted);
    EXPECT_EQ(m_dlg->m_nMaxMessages, 100);
}

TEST_F(OptionsTest, CancelChecksTheRangeOfTheFieldItLeaves)
{
    TypeMax("50");
    QTest::mouseClick(m_dlg->findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(m_boxes, QStringList{kRangeMessage}) << "once, though the field also lost the focus";
    EXPECT_TRUE(m_dlg->isVisible());
    EXPECT_EQ(m_dlg->m_ctlMax->text(), "100");

    QTest::mouseClick(m_dlg->findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
    EXPECT_FALSE(m_dlg->isVisible());
    EXPECT_EQ(m_dlg->result(), QDialog::Rejected);
}

TEST_F(OptionsTest, EmptyFieldAsksForAWholeNumberAndKeepsTheFocus)
{
    TypeMax("");
    m_dlg->m_ctlMax->clear();
    QTest::keyClick(m_dlg->m_ctlMax, Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(m_boxes, QStringList{"Please enter an integer."});
    EXPECT_TRUE(m_dlg->m_ctlMax->hasFocus());
    EXPECT_EQ(m_dlg->m_nMaxMessages, 500) << "the value before stays";

    m_boxes.clear();
    QTest::keyClick(m_dlg->m_ctlMax, Qt::Key_Return);
    EXPECT_EQ(m_boxes, QStringList{"Please enter an integer."});
    EXPECT_TRUE(m_dlg->isVisible());
}

// OnOptions as the navigator runs it, with the dialog answered from inside.
class OnOptionsTest : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        m_nav = std::make_unique<CNavigatorDlg>();
        ASSERT_TRUE(m_nav->OnInitDialog());
    }
    void RunOptions(std::function<void(COptionsDlg*)> edit)
    {
        WhenModal([edit](QWidget* modal) {
            auto* dlg = qobject_cast<COptionsDlg*>(modal);
            ASSERT_NE(dlg, nullptr);
            edit(dlg);
        });
        m_nav->OnOptions();
    }
    static void Confirm(COptionsDlg* dlg) { dlg->findChild<QPushButton*>("btnOK")->click(); }

    void TearDown() override
    {
        m_nav.reset();
        WidgetTest::TearDown();
    }

    std::unique_ptr<CNavigatorDlg> m_nav;
};

TEST_F(OnOptionsTest, OpensWithTheCurrentValuesAndOkWithoutChangeWritesNothing)
{
    gPop = 0;
    RunOptions([](COptionsDlg* dlg) {
        EXPECT_EQ(dlg->m_ctlMax->text(), "500");
        EXPECT_TRUE(dlg->findChild<QCheckBox*>("chkBeep")->isChecked());
        EXPECT_FALSE(dlg->findChild<QCheckBox*>("chkPop")->isChecked());
        Confirm(dlg);
    });
    EXPECT_FALSE(QFile::exists(SettingsFile()));
    EXPECT_EQ(max_messages, 500);
}

TEST_F(OnOptionsTest, ChangingOneSwitchWritesBoth)
{
    RunOptions([](COptionsDlg* dlg) {
        dlg->findChild<QCheckBox*>("chkBeep")->setChecked(false);
        Confirm(dlg);
    });
    EXPECT_EQ(gBeep, 0);
    EXPECT_EQ(gPop, 1);
    QSettings file(SettingsFile(), QSettings::IniFormat);
    EXPECT_EQ(file.value("Settings/gBeep").toInt(), 0);
    EXPECT_EQ(file.value("Settings/gPop").toInt(), 1);
}

TEST_F(OnOptionsTest, CancelLeavesEverythingAsItWas)
{
    RunOptions([](COptionsDlg* dlg) {
        dlg->findChild<QCheckBox*>("chkPop")->setChecked(false);
        dlg->m_ctlMax->setText("1000");
        dlg->reject();
    });
    EXPECT_EQ(gPop, 1);
    EXPECT_EQ(max_messages, 500);
    EXPECT_FALSE(QFile::exists(SettingsFile()));
}

TEST_F(OnOptionsTest, LoweringTheCapacityKeepsTheNewestAndShowsTheLast)
{
    for (int i = 1; i <= 300; ++i)
        ASSERT_TRUE(AddMessage(EventText(1299500000 + i, "Event " + std::to_string(i))));
    m_nav->OnTimer(kTimerRefresh);
    m_nav->findChild<QPushButton*>("btnFirst")->click();

    RunOptions([](COptionsDlg* dlg) {
        dlg->m_ctlMax->setText("100");
        Confirm(dlg);
    });
    EXPECT_EQ(max_messages, 100);
    EXPECT_EQ(max_used_item, 99);
    EXPECT_EQ(g_Array[0].desc, "Event 201");
    EXPECT_EQ(m_nav->findChild<QLineEdit*>("edtCurrent")->text(), "100");
    EXPECT_EQ(m_nav->findChild<QLineEdit*>("edtTotal")->text(), "100");
    m_nav->OnTimer(kTimerRefresh);
    EXPECT_EQ(m_nav->findChild<QLineEdit*>("edtMessage")->text(), "Event 300");

    RunOptions([](COptionsDlg* dlg) {
        dlg->m_ctlMax->setText("2000");
        Confirm(dlg);
    });
    EXPECT_EQ(max_messages, 2000);
    EXPECT_EQ(max_used_item, 99);
    EXPECT_EQ(m_nav->findChild<QLineEdit*>("edtCurrent")->text(), "100");
}

}  // namespace
