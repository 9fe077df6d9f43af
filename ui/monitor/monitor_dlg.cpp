#include "monitor_dlg.h"

#include <QFile>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QShortcut>
#include <QShowEvent>

#include "config_monitor_dlg.h"
#include "cut_cell_tips.h"
#include "dialog_units.h"
#include "event_details_dlg.h"
#include "export_prompt.h"
#include "export_table.h"
#include "list_reduction.h"
#include "monitor_layout.h"
#include "monitor_model.h"
#include "quick_search_bar.h"
#include "row_text.h"
#include "search_proxy.h"
#include "settings_io.h"
#include "shell_services.h"
#include "ui_monitor.h"
#include "wait_cursor.h"

namespace {

// The base units of the font monitor.ui and the column widths were laid out for.
constexpr CDialogUnits kTemplateUnits{7, 16};

}  // namespace

CMonitorDlg::CMonitorDlg(QWidget* navigator) : QDialog(navigator), m_ui(std::make_unique<Ui::CMonitorDlg>())
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    m_pModel = new CMonitorModel(this);
    m_pShown = new CSearchProxy(m_pModel, this);
    connect(m_ui->m_btnOK, &QPushButton::clicked, this, &CMonitorDlg::accept);
    connect(m_ui->m_btnCancel, &QPushButton::clicked, this, &CMonitorDlg::reject);
    connect(m_ui->m_btnConfigure, &QPushButton::clicked, this, &CMonitorDlg::OnConfigure);
    connect(m_ui->m_btnSave, &QPushButton::clicked, this, &CMonitorDlg::OnSave);
    connect(m_ui->m_edtSearch, &QLineEdit::textChanged, m_pShown, &CSearchProxy::SetSearchText);
    connect(m_ui->m_List, &QAbstractItemView::doubleClicked, this, &CMonitorDlg::OnDetails);
    m_ui->m_List->installEventFilter(this);
    CreateShortcuts();
    OnInitDialog();
    m_pLayout = std::make_unique<CMonitorLayout>(this, m_ui->m_List->header());
    if (m_pLayout->Restore())
        OnSize(width(), height());
}

CMonitorDlg::~CMonitorDlg()
{
    // The program can end with the Monitor on screen.
    if (isVisible())
        m_pLayout->Save();
}

void CMonitorDlg::OnInitDialog()
{
    QTreeView* list = m_ui->m_List;
    list->setModel(m_pShown);
    list->setIconSize(QSize(15, 15));
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setItemDelegate(new CCutCellTips(list));
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // A larger font than the template's gets wider columns, so that a date
    // and time still shows whole; a style sheet's font comes with the polish.
    list->ensurePolished();
    const CDialogUnits units = DialogUnitsOf(list->font());
    for (int c = 0; c < kMonitorColumns; ++c)
        header->resizeSection(c, units.ScaledWidth(kColumnWidths[c], kTemplateUnits));
    connect(header, &QHeaderView::sectionClicked, this, &CMonitorDlg::OnColumnClick);
    m_pSearch = new CQuickSearchBar(m_ui->m_lblSearch, m_ui->m_edtSearch, list, this);
    FillList();
    m_bInitialised = true;
}

void CMonitorDlg::CreateShortcuts()
{
    const auto bind = [this](QKeySequence keys, void (CMonitorDlg::*slot)()) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, slot);
    };
    bind(QKeySequence(Qt::CTRL | Qt::Key_F), &CMonitorDlg::OnFind);
    bind(QKeySequence(Qt::CTRL | Qt::Key_S), &CMonitorDlg::OnSave);
    bind(QKeySequence(Qt::Key_F5), &CMonitorDlg::FillList);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), this), &QShortcut::activated, this,
            &CMonitorDlg::historyRequested);
}

void CMonitorDlg::FillList()
{
    CWaitCursor wait;
    const std::optional<CSimpleMessage> current = CurrentEvent();
    m_pModel->ClearList();
    m_pModel->SetRows(BuildMonitorRows(CurrentMonitorSettings(), m_fnToday));
    if (current)
        GoToEvent(*current);
    ShowListFocus();
    ShowCurrentDetails();
}

void CMonitorDlg::OnColumnClick(int column)
{
    m_sort.Click(column);
    m_pModel->SortRows(m_sort);
}

void CMonitorDlg::OnConfigure()
{
    CConfigMonitorDlg dialog(this);
    dialog.SetSettings(CurrentMonitorSettings());
    if (dialog.exec() != QDialog::Accepted)
        return;
    ApplyMonitorSettings(dialog.Settings());
    CWaitCursor wait;
    FillList();
}

void CMonitorDlg::accept()
{
    emit showNavigator();
    QDialog::accept();
}

void CMonitorDlg::reject()
{
    emit showNavigator();
    QDialog::reject();
}

void CMonitorDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    // The first resize Qt sends is the window being shown, not resized: the
    // template's layout stays until the user changes the size.
    if (m_bInitialised && event->oldSize().isValid() && event->oldSize() != event->size())
        OnSize(event->size().width(), event->size().height());
}

void CMonitorDlg::OnSize(int w, int h)
{
    constexpr int kButtonWidth = 100, kButtonHeight = 28;
    const int buttonTop = h - 40;
    m_pSearch->SetArea(QRect(15, 15, w - 30, h - 80));
    m_ui->m_btnOK->setGeometry(15, buttonTop, kButtonWidth, kButtonHeight);
    m_ui->m_btnConfigure->setGeometry(146, buttonTop, kButtonWidth, kButtonHeight);
    m_ui->m_btnSave->setGeometry(277, buttonTop, kButtonWidth, kButtonHeight);
    m_ui->m_btnCancel->setGeometry(w - 115, buttonTop, kButtonWidth, kButtonHeight);
}

void CMonitorDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Where it was left, every time it opens; coming back from minimised is
    // not opening.
    if (!event->spontaneous())
        m_pLayout->RestorePlace();
}

void CMonitorDlg::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    // Minimising is not closing.
    if (!event->spontaneous())
        m_pLayout->Save();
}

void CMonitorDlg::OnFind() { m_pSearch->Open(); }

bool CMonitorDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_ui->m_List) {
        if (event->type() == QEvent::KeyPress)
            return OnListKey(static_cast<QKeyEvent*>(event)->key());
        if (event->type() == QEvent::FocusIn)
            ShowListFocus();
    }
    return QDialog::eventFilter(watched, event);
}

// A focused list without a current row would show no focus at all.
void CMonitorDlg::ShowListFocus()
{
    if (m_ui->m_List->hasFocus() && !m_ui->m_List->currentIndex().isValid())
        GoToRow(0);
}

bool CMonitorDlg::OnListKey(int key)
{
    if ((key != Qt::Key_Return && key != Qt::Key_Enter) || !m_ui->m_List->currentIndex().isValid())
        return false;
    OnDetails();
    return true;
}

std::optional<CSimpleMessage> CMonitorDlg::CurrentEvent() const
{
    const QModelIndex current = m_pShown->mapToSource(m_ui->m_List->currentIndex());
    if (!current.isValid())
        return std::nullopt;
    return m_pModel->Rows()[static_cast<size_t>(current.row())].rec;
}

void CMonitorDlg::GoToEvent(const CSimpleMessage& rec)
{
    for (int row = 0; row < m_pShown->rowCount(); ++row) {
        const QModelIndex source = m_pShown->mapToSource(m_pShown->index(row, 0));
        if (SameEvent(m_pModel->Rows()[static_cast<size_t>(source.row())].rec, rec)) {
            GoToRow(row);
            return;
        }
    }
}

void CMonitorDlg::GoToRow(int row)
{
    const QModelIndex index = m_pShown->index(row, 0);
    if (!index.isValid())
        return;
    m_ui->m_List->setCurrentIndex(index);
}

// What the list shows, header first: the quick search narrows the export too.
void CMonitorDlg::OnSave()
{
    const QString path = ShellServices().choosePath(this, ExportSaveAsRequest());
    if (path.isEmpty())
        return;
    const QString target = ExportTarget(path);
    const ReplaceResult result =
        target.isEmpty() ? ReplaceResult::OpenFailed
                         : ExportCsv(BuildExportTable(m_pModel->Rows(), m_pShown->ShownRows()), kExportFields,
                                     QFile::encodeName(target).toStdString(), ',');
    if (result != ReplaceResult::Replaced)
        ShowMessage(this, ExportFailureText(result, path));
}

// The details dialog steps through the rows as the list shows them. A refill
// while it is open keeps it on its event as long as the list still shows
// that event.
void CMonitorDlg::OnDetails()
{
    if (!m_ui->m_List->currentIndex().isValid())
        return;
    CEventDetailsDlg dialog(this);
    connect(&dialog, &CEventDetailsDlg::step, this, &CMonitorDlg::StepDetails);
    m_pDetails = &dialog;
    ShowCurrentDetails();
    dialog.exec();
    m_pDetails = nullptr;
}

void CMonitorDlg::StepDetails(int delta)
{
    const QModelIndex current = m_ui->m_List->currentIndex();
    if (!current.isValid())
        return;
    GoToRow(current.row() + delta);
    m_ui->m_List->scrollTo(m_ui->m_List->currentIndex());
    ShowCurrentDetails();
}

void CMonitorDlg::ShowCurrentDetails()
{
    if (!m_pDetails)
        return;
    const std::optional<CSimpleMessage> current = CurrentEvent();
    if (!current) {
        // Its event has left the list: it stays on screen, with nowhere to step.
        m_pDetails->EnableSteps(false, false);
        return;
    }
    const int row = m_ui->m_List->currentIndex().row();
    m_pDetails->ShowEvent(*current);
    m_pDetails->EnableSteps(row > 0, row + 1 < m_pShown->rowCount());
}
