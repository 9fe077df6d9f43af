// Screen readers and the keyboard: every edit field is named by its label,
// the level icons speak, every control Tab reaches shows that it has the
// focus, and Ctrl+S saves from the navigator.

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include "config_monitor_dlg.h"
#include "event_details_dlg.h"
#include "event_store.h"
#include "focus_style.h"
#include "monitor_dlg.h"
#include "navigator_dlg.h"
#include "options_dlg.h"
#include "settings.h"
#include "widget_fixture.h"

namespace {

class AccessibilityTest : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        if (!qobject_cast<CFocusStyle*>(QApplication::style()))
            QApplication::setStyle(new CFocusStyle);  // as the program runs
        m_navigator = std::make_unique<CNavigatorDlg>();
    }
    void TearDown() override
    {
        m_navigator.reset();
        WidgetTest::TearDown();
    }

    // The windows with edit fields, each as a user meets it.
    std::vector<std::unique_ptr<QWidget>> Windows()
    {
        std::vector<std::unique_ptr<QWidget>> windows;
        auto options = std::make_unique<COptionsDlg>();
        options->m_nMaxMessages = 500;
        options->DoDataExchange(false);
        windows.push_back(std::move(options));
        windows.push_back(std::make_unique<CConfigMonitorDlg>());
        windows.push_back(std::make_unique<CEventDetailsDlg>());
        auto monitor = std::make_unique<CMonitorDlg>(nullptr);
        monitor->OnFind();
        windows.push_back(std::move(monitor));
        return windows;
    }

    std::unique_ptr<CNavigatorDlg> m_navigator;
};

// Every editable text below iface, by the name a screen reader gives it.
void CollectEdits(QAccessibleInterface* iface, std::vector<QAccessibleInterface*>& edits)
{
    if (iface->role() == QAccessible::EditableText)
        edits.push_back(iface);
    for (int i = 0; i < iface->childCount(); ++i)
        CollectEdits(iface->child(i), edits);
}

void ExpectEditsNamedByTheirLabels(QWidget* window)
{
    std::vector<QAccessibleInterface*> edits;
    CollectEdits(QAccessible::queryAccessibleInterface(window), edits);
    EXPECT_EQ(edits.size(), window->findChildren<QLineEdit*>().size()) << window->objectName().toStdString();
    for (QAccessibleInterface* edit : edits) {
        const QString name = edit->text(QAccessible::Name);
        const auto labels = edit->relations(QAccessible::Label);
        EXPECT_FALSE(name.isEmpty()) << edit->object()->objectName().toStdString();
        ASSERT_EQ(labels.size(), 1) << edit->object()->objectName().toStdString();
        QString label = labels.first().first->text(QAccessible::Name);
        if (label.endsWith(':'))
            label.chop(1);
        EXPECT_TRUE(name.contains(label)) << name.toStdString() << " / " << label.toStdString();
    }
}

// Tabs once round the window; each control must look different with the
// focus than without it.
void ExpectVisibleFocus(QWidget* window)
{
    window->show();
    QApplication::setActiveWindow(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_Tab);  // the focus now comes from the keyboard
    QList<QWidget*> seen;
    while (QWidget* focused = QApplication::focusWidget()) {
        if (seen.contains(focused))
            break;
        seen << focused;
        const QImage with = focused->grab().toImage();
        QTest::keyClick(focused, Qt::Key_Tab);
        if (QApplication::focusWidget() == focused)
            break;
        EXPECT_NE(with, focused->grab().toImage()) << window->objectName().toStdString() << " "
                                                   << focused->objectName().toStdString();
    }
    EXPECT_GE(seen.size(), 2) << window->objectName().toStdString();
    window->hide();
}

}  // namespace

TEST_F(AccessibilityTest, EveryEditFieldIsNamedByItsLabel)
{
    ExpectEditsNamedByTheirLabels(m_navigator.get());
    for (const auto& window : Windows())
        ExpectEditsNamedByTheirLabels(window.get());
}

TEST_F(AccessibilityTest, LevelIconsSpeakTheirTypeText)
{
    for (int slot : {0, 1}) {
        g_Array[slot].ttime = 1299456000 + slot;
        g_Array[slot].level = slot == 0 ? kLevelWarning : 7;
        g_Pos[slot] = slot;
    }
    max_used_item = 1;
    gToday = 0;
    CMonitorDlg monitor(nullptr);
    monitor.show();  // a tree lays its rows out when shown
    QAccessibleTableInterface* list =
        QAccessible::queryAccessibleInterface(monitor.findChild<QTreeView*>("m_List"))->tableInterface();
    ASSERT_NE(list, nullptr);
    const QStringList expected = {"level 7", "Warning"};
    for (int row = 0; row < 2; ++row) {
        QAccessibleInterface* cell = list->cellAt(row, 0);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->text(QAccessible::Name), expected[row]);
    }
}

TEST_F(AccessibilityTest, EveryControlTabReachesShowsItsFocus)
{
    ASSERT_TRUE(AddMessage(EventText(1299506701)));
    gToday = 0;
    m_navigator->OnTimer(kTimerRefresh);
    ExpectVisibleFocus(m_navigator.get());
    for (const auto& window : Windows())
        ExpectVisibleFocus(window.get());
}

TEST_F(AccessibilityTest, CtrlSInTheNavigatorIsFileSave)
{
    ASSERT_TRUE(m_navigator->OnInitDialog());
    ASSERT_TRUE(AddMessage(EventText(1299506701)));
    m_navigator->show();
    QApplication::setActiveWindow(m_navigator.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_navigator.get()));
    const QString file = m_home->path() + "/Tellvane/zqtvane.dat";
    ASSERT_FALSE(QFile::exists(file));
    QTest::keyClick(m_navigator.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(QFile::exists(file));
}
