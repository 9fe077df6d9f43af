// "Configure monitor": the modal dialog in which the user edits the nine
// Monitor settings. "OK" checks the date and the two times first.
#pragma once

#include <QDialog>
#include <memory>

#include "monitor_settings.h"

namespace Ui {
class CConfigMonitorDlg;
}
class QButtonGroup;
class QLineEdit;

class CConfigMonitorDlg : public QDialog {
    Q_OBJECT
public:
    explicit CConfigMonitorDlg(QWidget* parent = nullptr);
    ~CConfigMonitorDlg() override;

    // Loads the controls. A list mode or warning level outside 0..3 checks
    // no button of its group.
    void SetSettings(const CMonitorSettings& settings);
    // The values as confirmed; a group without a checked button gives -1.
    const CMonitorSettings& Settings() const { return m_settings; }

protected:
    void accept() override;  // OnOK: validation

private:
    void LoadControls();
    void SaveControls();

    std::unique_ptr<Ui::CConfigMonitorDlg> m_ui;
    QButtonGroup* m_pListGroup = nullptr;
    QButtonGroup* m_pWarnGroup = nullptr;
    CMonitorSettings m_settings;
};
