// The Alerts dialog: desktop notifications, a sound per level and the
// repeated alarm sound. While the Options' beep is off nothing sounds, so
// the sound controls are shown disabled, with a line that says why; their
// values are kept as they are.
#pragma once

#include <memory>

#include <QDialog>

namespace Ui {
class CAlertsDlg;
}

class CAlertsDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAlertsDlg(QWidget* parent = nullptr);
    ~CAlertsDlg() override;

    // Shows the members in the controls, then runs the dialog modally.
    int DoModal();
    // Transfers between controls and members: in (true) or out.
    void DoDataExchange(bool saveAndValidate);
    void accept() override;

    int m_bNotify = 1;
    int m_bLevelSound = 1;
    int m_bAlarmRepeat = 0;
    int m_nRepeatSecs = 30;
    int m_bBeep = 1;  // the Options' switch; shown, not changed here

private:
    void EnableSoundControls();

    std::unique_ptr<Ui::CAlertsDlg> m_ui;
};
