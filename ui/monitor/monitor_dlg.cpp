#include "monitor_dlg.h"

#include <QHeaderView>
#include <QResizeEvent>

#include "config_monitor_dlg.h"
#include "list_reduction.h"
#include "monitor_model.h"
#include "row_text.h"
#include "settings_io.h"
#include "ui_monitor.h"
#include "wait_cursor.h"

static void InitMonitorResources() { Q_INIT_RESOURCE(monitor); }

CMonitorDlg::CMonitorDlg(QWidget* navigator) : QDialog(navigator), m_ui(std::make_unique<Ui::CMonitorDlg>())
{
    InitMonitorResources();
    m_ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    m_pModel = new CMonitorModel(this);
    connect(m_ui->m_btnOK, &QPushButton::clicked, this, &CMonitorDlg::accept);
    connect(m_ui->m_btnCancel, &QPushButton::clicked, this, &CMonitorDlg::reject);
    connect(m_ui->m_btnConfigure, &QPushButton::clicked, this, &CMonitorDlg::OnConfigure);
    connect(m_ui->m_btnSave, &QPushButton::clicked, this, &CMonitorDlg::OnSave);
    OnInitDialog();
}

CMonitorDlg::~CMonitorDlg() = default;

void CMonitorDlg::OnInitDialog()
{
    QTreeView* list = m_ui->m_List;
    list->setModel(m_pModel);
    list->setIconSize(QSize(15, 15));
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int c = 0; c < kMonitorColumns; ++c)
        header->resizeSection(c, kColumnWidths[c]);
    connect(header, &QHeaderView::sectionClicked, this, &CMonitorDlg::OnColumnClick);
    FillList();
    m_bInitialised = true;
}

void CMonitorDlg::FillList()
{
    CWaitCursor wait;
    m_pModel->ClearList();
    m_pModel->SetRows(BuildMonitorRows(CurrentMonitorSettings(), m_fnToday));
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
    m_ui->m_List->setGeometry(15, 15, w - 30, h - 80);
    m_ui->m_btnOK->setGeometry(15, buttonTop, kButtonWidth, kButtonHeight);
    m_ui->m_btnConfigure->setGeometry(146, buttonTop, kButtonWidth, kButtonHeight);
    m_ui->m_btnSave->setGeometry(277, buttonTop, kButtonWidth, kButtonHeight);
    m_ui->m_btnCancel->setGeometry(w - 115, buttonTop, kButtonWidth, kButtonHeight);
}
