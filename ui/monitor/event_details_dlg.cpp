#include "event_details_dlg.h"

#include <QFormLayout>
#include <QLabel>
#include <QLayout>
#include <QScreen>

#include "qt_text.h"
#include "ui_event_details.h"
#include "wrapping_field.h"

namespace {

void ShowText(QWidget* field, const QString& text)
{
    if (auto* wrapping = qobject_cast<CWrappingField*>(field)) {
        wrapping->setPlainText(text);
        return;
    }
    auto* edit = static_cast<QLineEdit*>(field);
    edit->setText(text);
    edit->setCursorPosition(0);  // a long text shows its start
}

}  // namespace

CEventDetailsDlg::CEventDetailsDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::CEventDetailsDlg>())
{
    m_ui->setupUi(this);
    Ui::CEventDetailsDlg& ui = *m_ui;
    m_fields = {ui.m_edtName,         ui.m_edtDescription,   ui.m_edtLockingSystem, ui.m_edtLocking,
                ui.m_edtTransponderName, ui.m_edtGroupId,   ui.m_edtMemberId,      ui.m_edtSystemId,
                ui.m_edtLockingId,    ui.m_edtTransponderId, ui.m_edtAddress,      ui.m_edtDoorOpen,
                ui.m_edtBoltPos,      ui.m_edtManip,         ui.m_edtError,        ui.m_edtAnalogInput,
                ui.m_edtLevel,        ui.m_edtType,          ui.m_edtDateTime,     ui.m_edtRead};
    connect(ui.m_btnPrevious, &QPushButton::clicked, this, [this] { emit step(-1); });
    connect(ui.m_btnNext, &QPushButton::clicked, this, [this] { emit step(+1); });
    connect(ui.m_btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

CEventDetailsDlg::~CEventDetailsDlg() = default;

void CEventDetailsDlg::ShowEvent(const CSimpleMessage& rec)
{
    const CEventDetails details = EventDetails(rec);
    for (size_t i = 0; i < m_fields.size(); ++i)
        ShowText(m_fields[i], ToQString(details[i]));
    // Taller where the texts need it and the screen has room; a size the
    // user chose is never made smaller.
    const int needed = qMin(layout()->totalHeightForWidth(width()), screen()->availableGeometry().height());
    if (needed > height())
        resize(width(), needed);
}

void CEventDetailsDlg::ShowArchived(const QString& arrival, const QString& sender)
{
    if (!m_pArrival) {
        const auto addRow = [this](const QString& title, const QString& name) {
            auto* edit = new QLineEdit(this);
            edit->setReadOnly(true);
            edit->setAccessibleName(name);
            auto* label = new QLabel(title, this);
            label->setBuddy(edit);
            m_ui->m_fields->addRow(label, edit);
            return edit;
        };
        m_pArrival = addRow(QStringLiteral("Arrival time:"), QStringLiteral("Arrival time"));
        m_pSender = addRow(QStringLiteral("Sender:"), QStringLiteral("Sender"));
    }
    ShowText(m_pArrival, arrival);
    ShowText(m_pSender, sender);
}

void CEventDetailsDlg::EnableSteps(bool previous, bool next)
{
    m_ui->m_btnPrevious->setEnabled(previous);
    m_ui->m_btnNext->setEnabled(next);
}
