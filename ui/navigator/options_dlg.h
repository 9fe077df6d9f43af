// The Options dialog: beep and pop-up switches and the store's capacity.
#pragma once

#include <memory>

#include <QDialog>

class QLineEdit;
namespace Ui {
class COptionsDlg;
}

class COptionsDlg : public QDialog {
    Q_OBJECT

public:
    explicit COptionsDlg(QWidget* parent = nullptr);
    ~COptionsDlg() override;

    // Shows the members in the controls, then runs the dialog modally.
    int DoModal();
    // Transfers between controls and members. Transferring in fails, with a
    // prompt and the focus back in the field, when the field holds no whole
    // number; the members read before it are then already updated.
    bool DoDataExchange(bool saveAndValidate);
    // The range check, run whenever the field loses the focus.
    void OnKillFocusMax();
    void accept() override;  // OnOK
    // The Cancel button: the range check first, as for any other way of
    // leaving the field.
    void OnCancelButton();

    QLineEdit* m_ctlMax = nullptr;
    int m_bBeep = 1;
    int m_nMaxMessages = 0;
    int m_bPop = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool MaxInRange() const;
    // Transfers in and refuses a value out of range; true when the dialog
    // may close.
    bool TakeMaxInRange();
    void RefuseMax();
    void FocusMax();
    void OnFocusLeftMax();

    std::unique_ptr<Ui::COptionsDlg> m_ui;
    bool m_bChecking = false;
};
