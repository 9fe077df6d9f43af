#include "event_details_dlg.h"

#include "qt_text.h"
#include "ui_event_details.h"

CEventDetailsDlg::CEventDetailsDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CEventDetailsDlg>())
{
    m_ui->setupUi(this);
    Ui::CEventDetailsDlg& ui = *m_ui;
    m_edits = {ui.m_edtName,          ui.m_edtDescription, ui.m_edtLockingSystem, ui.m_edtLocking,
               ui.m_edtTransponderName, ui.m_edtGroupId,   ui.m_edtMemberId,      ui.m_edtSystemId,
               ui.m_edtLockingId,     ui.m_edtTransponderId, ui.m_edtAddress,     ui.m_edtDoorOpen,
               ui.m_edtBoltPos,       ui.m_edtManip,       ui.m_edtError,         ui.m_edtAnalogInput,
               ui.m_edtLevel,         ui.m_edtType,        ui.m_edtDateTime,      ui.m_edtRead};
    connect(ui.m_btnPrevious, &QPushButton::clicked, this, [this] { emit step(-1); });
    connect(ui.m_btnNext, &QPushButton::clicked, this, [this] { emit step(+1); });
    connect(ui.m_btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

CEventDetailsDlg::~CEventDetailsDlg() = default;

void CEventDetailsDlg::ShowEvent(const CSimpleMessage& rec)
{
    const CEventDetails details = EventDetails(rec);
    for (size_t i = 0; i < m_edits.size(); ++i) {
        m_edits[i]->setText(ToQString(details[i]));
        m_edits[i]->setCursorPosition(0);  // a long text shows its start
    }
}

void CEventDetailsDlg::EnableSteps(bool previous, bool next)
{
    m_ui->m_btnPrevious->setEnabled(previous);
    m_ui->m_btnNext->setEnabled(next);
}
