#include "config_monitor_dlg.h"

#include <QButtonGroup>

#include "config_validation.h"
#include "shell_services.h"
#include "qt_text.h"
#include "string_table.h"
#include "ui_config_monitor.h"

namespace {

QButtonGroup* MakeGroup(QWidget* owner, std::initializer_list<QAbstractButton*> buttons)
{
    auto* group = new QButtonGroup(owner);
    int id = 0;
    for (QAbstractButton* button : buttons)
        group->addButton(button, id++);
    return group;
}

void CheckIndex(QButtonGroup* group, int index)
{
    if (QAbstractButton* button = group->button(index)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group will not let its last checked button go.
    group->setExclusive(false);
    for (QAbstractButton* button : group->buttons())
        button->setChecked(false);
    group->setExclusive(true);
}

}  // namespace

CConfigMonitorDlg::CConfigMonitorDlg(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CConfigMonitorDlg>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(size());
    m_pListGroup = MakeGroup(this, {m_ui->m_radList0, m_ui->m_radList1, m_ui->m_radList2, m_ui->m_radList3});
    m_pWarnGroup = MakeGroup(this, {m_ui->m_radWarn0, m_ui->m_radWarn1, m_ui->m_radWarn2, m_ui->m_radWarn3});
    connect(m_ui->m_btnOK, &QPushButton::clicked, this, &CConfigMonitorDlg::accept);
    connect(m_ui->m_btnCancel, &QPushButton::clicked, this, &CConfigMonitorDlg::reject);
    LoadControls();
}

CConfigMonitorDlg::~CConfigMonitorDlg() = default;

void CConfigMonitorDlg::SetSettings(const CMonitorSettings& settings)
{
    m_settings = settings;
    LoadControls();
}

void CConfigMonitorDlg::LoadControls()
{
    CheckIndex(m_pListGroup, m_settings.list);
    m_ui->m_editLock->setText(ToQString(m_settings.lockStr));
    m_ui->m_editTrns->setText(ToQString(m_settings.trnsStr));
    CheckIndex(m_pWarnGroup, m_settings.warn);
    m_ui->m_chkToday->setChecked(m_settings.today != 0);
    m_ui->m_editDate->setText(ToQString(m_settings.date));
    m_ui->m_editDesc->setText(ToQString(m_settings.descStr));
    m_ui->m_editTimeFrom->setText(ToQString(m_settings.time1));
    m_ui->m_editTimeTo->setText(ToQString(m_settings.time2));
}

void CConfigMonitorDlg::SaveControls()
{
    m_settings.list = m_pListGroup->checkedId();
    m_settings.lockStr = ToLocal8Bit(m_ui->m_editLock->text());
    m_settings.trnsStr = ToLocal8Bit(m_ui->m_editTrns->text());
    m_settings.warn = m_pWarnGroup->checkedId();
    m_settings.today = m_ui->m_chkToday->isChecked() ? 1 : 0;
    m_settings.date = ToLocal8Bit(m_ui->m_editDate->text());
    m_settings.descStr = ToLocal8Bit(m_ui->m_editDesc->text());
    m_settings.time1 = ToLocal8Bit(m_ui->m_editTimeFrom->text());
    m_settings.time2 = ToLocal8Bit(m_ui->m_editTimeTo->text());
}

void CConfigMonitorDlg::accept()
{
    SaveControls();
    QLineEdit* bad = nullptr;
    switch (FirstInvalidField(m_settings.date, m_settings.time1, m_settings.time2)) {
    case ConfigField::kNone: QDialog::accept(); return;
    case ConfigField::kDate: bad = m_ui->m_editDate; break;
    case ConfigField::kTimeFrom: bad = m_ui->m_editTimeFrom; break;
    case ConfigField::kTimeTo: bad = m_ui->m_editTimeTo; break;
    }
    bad->setFocus();
    bad->selectAll();
    ShowMessage(this, LoadStringText(IDS_INVALID_FORMAT));
}
