#include "alerts_dlg.h"

#include "alert_settings.h"
#include "dialog_units.h"
#include "ui_alerts.h"

namespace {

constexpr QSize kTemplateSize{220, 100};
constexpr int kFontPointSize = 8;

}  // namespace

CAlertsDlg::CAlertsDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CAlertsDlg>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    ApplyDialogUnits(this, kFontPointSize, kTemplateSize);
    m_ui->spnRepeatSecs->setRange(kMinRepeatSecs, kMaxRepeatSecs);
    connect(m_ui->btnOK, &QPushButton::clicked, this, &CAlertsDlg::accept);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &CAlertsDlg::reject);
    connect(m_ui->chkAlarmRepeat, &QCheckBox::toggled, this, &CAlertsDlg::EnableSoundControls);
}

CAlertsDlg::~CAlertsDlg() = default;

int CAlertsDlg::DoModal()
{
    DoDataExchange(false);
    m_ui->btnOK->setFocus();
    return exec();
}

void CAlertsDlg::DoDataExchange(bool saveAndValidate)
{
    Ui::CAlertsDlg& ui = *m_ui;
    if (saveAndValidate) {
        m_bNotify = ui.chkNotify->isChecked() ? 1 : 0;
        m_bLevelSound = ui.chkLevelSound->isChecked() ? 1 : 0;
        m_bAlarmRepeat = ui.chkAlarmRepeat->isChecked() ? 1 : 0;
        m_nRepeatSecs = ui.spnRepeatSecs->value();
        return;
    }
    ui.chkNotify->setChecked(m_bNotify != 0);
    ui.chkLevelSound->setChecked(m_bLevelSound != 0);
    ui.chkAlarmRepeat->setChecked(m_bAlarmRepeat != 0);
    ui.spnRepeatSecs->setValue(m_nRepeatSecs);
    EnableSoundControls();
}

void CAlertsDlg::accept()
{
    // The spin box holds what was typed until it is confirmed.
    m_ui->spnRepeatSecs->interpretText();
    DoDataExchange(true);
    QDialog::accept();
}

// The sounds mean something only while the beep is on, and the interval
// only while the repeat is on too.
void CAlertsDlg::EnableSoundControls()
{
    const bool sounds = m_bBeep != 0;
    const bool interval = sounds && m_ui->chkAlarmRepeat->isChecked();
    m_ui->lblSoundsOff->setVisible(!sounds);
    m_ui->chkLevelSound->setEnabled(sounds);
    m_ui->chkAlarmRepeat->setEnabled(sounds);
    m_ui->spnRepeatSecs->setEnabled(interval);
    m_ui->lblEvery->setEnabled(interval);
    m_ui->lblSeconds->setEnabled(interval);
}
