// Screen readers and the keyboard: every edit field is named by its label,
// the level icons speak, every control Tab reaches shows that it has the
// focus, and Ctrl+S saves from the navigator.

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTextEdit>
#include <QTreeView>

#include "config_monitor_dlg.h"
#include "event_details_dlg.h"
#include "event_file.h"
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
        m_windows.push_back(std::make_unique<CNavigatorDlg>());
        auto options = std::make_unique<COptionsDlg>();
        options->m_nMaxMessages = 500;
        options->DoDataExchange(false);
        m_windows.push_back(std::move(options));
        m_windows.push_back(std::make_unique<CConfigMonitorDlg>());
        m_windows.push_back(std::make_unique<CEventDetailsDlg>());
    }
    void TearDown() override
    {
        m_windows.clear();
        WidgetTest::TearDown();
    }

    // Last, so that it lists what the test has stored; with its search field open.
    CMonitorDlg* OpenMonitor()
    {
        gToday = 0;
        auto monitor = std::make_unique<CMonitorDlg>(nullptr);
        monitor->OnFind();
        m_windows.push_back(std::move(monitor));
        return static_cast<CMonitorDlg*>(m_windows.back().get());
    }

    std::vector<std::unique_ptr<QWidget>> m_windows;
};

void CollectEdits(QAccessibleInterface* iface, std::vector<QAccessibleInterface*>& edits)
{
    if (iface->role() == QAccessible::EditableText)
        edits.push_back(iface);
    for (int i = 0; i < iface->childCount(); ++i)
        CollectEdits(iface->child(i), edits);
}

}  // namespace

TEST_F(AccessibilityTest, EditFieldsAreNamedByTheirLabelsAndLevelIconsSpeak)
{
    for (int slot : {0, 1}) {
        g_Array[slot].ttime = 1299456000 + slot;
        g_Array[slot].level = slot == 0 ? kLevelWarning : 7;
        g_Pos[slot] = slot;
    }
    max_used_item = 1;
    OpenMonitor()->show();  // a tree lays its rows out when shown

    for (const auto& window : m_windows) {
        std::vector<QAccessibleInterface*> edits;
        CollectEdits(QAccessible::queryAccessibleInterface(window.get()), edits);
        const qsizetype fields = window->findChildren<QLineEdit*>().size() + window->findChildren<QTextEdit*>().size();
        EXPECT_EQ(edits.size(), fields) << window->objectName().toStdString();
        for (QAccessibleInterface* edit : edits) {
            const auto labels = edit->relations(QAccessible::Label);
            ASSERT_EQ(labels.size(), 1) << edit->object()->objectName().toStdString();
            const QString name = edit->text(QAccessible::Name);
            const QString label = labels.first().first->text(QAccessible::Name);
            EXPECT_TRUE(name.contains(label.chopped(label.endsWith(':') ? 1 : 0))) << name.toStdString();
        }
    }
    QAccessibleTableInterface* list =
        QAccessible::queryAccessibleInterface(m_windows.back()->findChild<QTreeView*>("m_List"))->tableInterface();
    const QStringList expected = {"level 7", "Warning"};
    for (int row = 0; row < 2; ++row) {
        QAccessibleInterface* cell = list->cellAt(row, 0);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->text(QAccessible::Name), expected[row]);
    }
}

// Tabs once round each window: every control must look different with the
// focus than without it.
TEST_F(AccessibilityTest, EveryControlTabReachesShowsItsFocus)
{
    ASSERT_TRUE(AddMessage(EventText(1299506701)));
    static_cast<CNavigatorDlg*>(m_windows.front().get())->OnTimer(kTimerRefresh);
    OpenMonitor();
    for (const auto& window : m_windows) {
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_Tab);  // the focus now comes from the keyboard
        QList<QWidget*> seen;
        for (QWidget* focused = QApplication::focusWidget(); focused && !seen.contains(focused);
             focused = QApplication::focusWidget()) {
            seen << focused;
            const QImage with = focused->grab().toImage();
            QTest::keyClick(focused, Qt::Key_Tab);
            EXPECT_NE(with, focused->grab().toImage()) << focused->objectName().toStdString();
        }
        EXPECT_GE(seen.size(), 3) << window->objectName().toStdString();
        window->hide();
    }
}

TEST_F(AccessibilityTest, CtrlSInTheNavigatorIsFileSave)
{
    auto* navigator = static_cast<CNavigatorDlg*>(m_windows.front().get());
    ASSERT_TRUE(navigator->OnInitDialog());
    ASSERT_TRUE(AddMessage(EventText(1299506701)));
    navigator->show();
    QApplication::setActiveWindow(navigator);
    ASSERT_TRUE(QTest::qWaitForWindowActive(navigator));
    QTest::keyClick(navigator, Qt::Key_S, Qt::ControlModifier);
    // Where the program keeps it: beside the executable on Windows.
    EXPECT_TRUE(QFile::exists(QString::fromLocal8Bit(EventFilePath())));
}
