// The details of one Monitor row: every field of its event, read-only but
// selectable for copying, the texts wrapped to show them whole. Previous and Next ask the Monitor to step through
// its rows in list order; the Monitor answers with ShowEvent.
#pragma once

#include <QDialog>
#include <array>
#include <memory>

#include "event_details.h"

class QLineEdit;

namespace Ui {
class CEventDetailsDlg;
}

class CEventDetailsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CEventDetailsDlg(QWidget* parent = nullptr);
    ~CEventDetailsDlg() override;

    void ShowEvent(const CSimpleMessage& rec);
    // Each button only where the list has a row to step to.
    void EnableSteps(bool previous, bool next);
    // An event from the archive also has its arrival time and its sender;
    // the rows for them exist only in a dialog that shows one.
    void ShowArchived(const QString& arrival, const QString& sender);

signals:
    void step(int delta);  // -1 Previous, +1 Next

private:
    std::unique_ptr<Ui::CEventDetailsDlg> m_ui;
    std::array<QWidget*, kDetailFieldCount> m_fields{};  // by DetailField
    QLineEdit* m_pArrival = nullptr;
    QLineEdit* m_pSender = nullptr;
};
