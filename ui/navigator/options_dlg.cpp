#include "options_dlg.h"

#include <QFocusEvent>
#include <QRegularExpressionValidator>

#include "dialog_units.h"
#include "event_store.h"
#include "shell_services.h"
#include "string_table.h"
#include "ui_options.h"

namespace {

constexpr QSize kTemplateSize{186, 93};
constexpr int kFontPointSize = 8;

std::string RangeMessage()
{
    return QString::asprintf(LoadStringText(IDS_RANGE).data(), kMinCapacity, kMaxCapacity).toStdString();
}

}  // namespace

COptionsDlg::COptionsDlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::COptionsDlg>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    ApplyDialogUnits(this, kFontPointSize, kTemplateSize);
    m_ctlMax = m_ui->edtMax;
    m_ctlMax->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), m_ctlMax));
    m_ctlMax->installEventFilter(this);
    connect(m_ui->btnOK, &QPushButton::clicked, this, &COptionsDlg::accept);
    connect(m_ui->btnCancel, &QPushButton::clicked, this, &COptionsDlg::OnCancelButton);
}

COptionsDlg::~COptionsDlg() = default;

int COptionsDlg::DoModal()
{
    DoDataExchange(false);
    m_ui->btnOK->setFocus();
    return exec();
}

bool COptionsDlg::DoDataExchange(bool saveAndValidate)
{
    if (!saveAndValidate) {
        m_ui->chkBeep->setChecked(m_bBeep != 0);
        m_ctlMax->setText(QString::number(m_nMaxMessages));
        m_ui->chkPop->setChecked(m_bPop != 0);
        return true;
    }
    m_bBeep = m_ui->chkBeep->isChecked() ? 1 : 0;
    bool whole = false;
    const int value = m_ctlMax->text().toInt(&whole);
    if (!whole) {
        ShowMessage(this, LoadStringText(IDS_PARSE_INT));
        FocusMax();
        return false;
    }
    m_nMaxMessages = value;
    m_bPop = m_ui->chkPop->isChecked() ? 1 : 0;
    return true;
}

bool COptionsDlg::MaxInRange() const { return m_nMaxMessages >= kMinCapacity && m_nMaxMessages <= kMaxCapacity; }

void COptionsDlg::FocusMax()
{
    m_ctlMax->setFocus();
    m_ctlMax->selectAll();
}

void COptionsDlg::RefuseMax()
{
    ShowMessage(this, RangeMessage());
    m_nMaxMessages = kMinCapacity;
    DoDataExchange(false);
    FocusMax();
}

void COptionsDlg::OnKillFocusMax()
{
    if (m_bChecking)
        return;
    m_bChecking = true;
    DoDataExchange(true);
    if (!MaxInRange())
        RefuseMax();
    m_bChecking = false;
}

bool COptionsDlg::TakeMaxInRange()
{
    m_bChecking = true;
    const bool exchanged = DoDataExchange(true);
    const bool inRange = MaxInRange();
    if (exchanged && !inRange)
        RefuseMax();
    m_bChecking = false;
    return exchanged && inRange;
}

void COptionsDlg::accept()
{
    // Enter in the field confirms without the field losing the focus, so
    // the range is checked here too: the store must never get a capacity
    // outside it.
    if (TakeMaxInRange())
        QDialog::accept();
}

void COptionsDlg::OnCancelButton()
{
    // Pressing Cancel takes the focus from the field, and leaving the field
    // checks its range however it is left. A field that holds no whole
    // number has no range to check, and Cancel discards it anyway: asking
    // for a number would leave no way out. Escape and the close box leave
    // the field where it is and close without a check, as does the end of
    // the session, which must never wait on a box.
    bool whole = false;
    m_ctlMax->text().toInt(&whole);
    if (!whole || TakeMaxInRange())
        reject();
}

bool COptionsDlg::eventFilter(QObject* watched, QEvent* e)
{
    // Only a move of the focus inside the dialog counts: a box popping up
    // over it takes the focus too, and must not check again. The check
    // runs once the move is complete, so that its selection is not undone
    // by the field's own focus-out handling.
    if (watched == m_ctlMax && e->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            QMetaObject::invokeMethod(this, &COptionsDlg::OnFocusLeftMax, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, e);
}

void COptionsDlg::OnFocusLeftMax()
{
    // OK or Cancel may have closed the dialog meanwhile, and OK may have
    // refused the value and put the focus back already.
    if (isVisible() && !m_ctlMax->hasFocus())
        OnKillFocusMax();
}
