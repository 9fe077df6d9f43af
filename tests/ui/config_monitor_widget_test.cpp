#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "config_monitor_dlg.h"
#include "widget_fixture.h"

namespace {

class ConfigDialog : public CWidgetTest {
protected:
    QLineEdit* Edit(const char* name) { return m_dialog.findChild<QLineEdit*>(name); }
    QRadioButton* Radio(const char* name) { return m_dialog.findChild<QRadioButton*>(name); }
    void ClickOk() { QTest::mouseClick(m_dialog.findChild<QPushButton*>("m_btnOK"), Qt::LeftButton); }

    CConfigMonitorDlg m_dialog;
};

}  // namespace

TEST_F(ConfigDialog, LoadsTheValuesAndGivesThemBackAsTyped)
{
    CMonitorSettings in;
    in.list = 2;
    in.warn = 1;
    in.lockStr = " Door ";
    in.today = 0;
    in.time1 = "08:00:00";
    m_dialog.SetSettings(in);
    EXPECT_TRUE(Radio("m_radList2")->isChecked());
    EXPECT_TRUE(Radio("m_radWarn1")->isChecked());
    EXPECT_FALSE(m_dialog.findChild<QCheckBox*>("m_chkToday")->isChecked());

    Edit("m_editDate")->setText("2011.02.30");
    Edit("m_editTimeTo")->setText("24:59:59");
    ClickOk();
    EXPECT_EQ(m_dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(m_messages.isEmpty());
    const CMonitorSettings& out = m_dialog.Settings();
    EXPECT_EQ(out.list, 2);
    EXPECT_EQ(out.warn, 1);
    EXPECT_EQ(out.lockStr, " Door ");
    EXPECT_EQ(out.today, 0);
    EXPECT_EQ(out.date, "2011.02.30");
    EXPECT_EQ(out.time1, "08:00:00");
    EXPECT_EQ(out.time2, "24:59:59");
}

TEST_F(ConfigDialog, ValuesOutsideTheGroupsCheckNothingAndStoreMinusOne)
{
    CMonitorSettings in;
    in.list = 7;
    in.warn = -3;
    m_dialog.SetSettings(in);
    for (const char* name : {"m_radList0", "m_radList3", "m_radWarn0", "m_radWarn3"})
        EXPECT_FALSE(Radio(name)->isChecked()) << name;
    ClickOk();
    EXPECT_EQ(m_dialog.Settings().list, -1);
    EXPECT_EQ(m_dialog.Settings().warn, -1);
}

TEST_F(ConfigDialog, FirstBadFieldGetsTheFocusAndTheDialogStaysOpen)
{
    m_dialog.show();
    QApplication::setActiveWindow(&m_dialog);
    Edit("m_editDate")->setText("2011.03.07");
    Edit("m_editTimeFrom")->setText("7:00:00");
    Edit("m_editTimeTo")->setText("23:60:00");
    ClickOk();
    EXPECT_EQ(m_messages, (QStringList{"Invalid format"}));
    EXPECT_TRUE(m_dialog.isVisible());
    EXPECT_TRUE(Edit("m_editTimeFrom")->hasFocus());
    EXPECT_EQ(Edit("m_editTimeFrom")->selectedText(), "7:00:00");
    EXPECT_EQ(Edit("m_editDate")->text(), "2011.03.07");  // other entries untouched

    Edit("m_editTimeFrom")->setText("07:00:00");
    Edit("m_editTimeTo")->clear();  // an empty "to" passes
    ClickOk();
    EXPECT_FALSE(m_dialog.isVisible());
    EXPECT_EQ(m_dialog.result(), QDialog::Accepted);
}
