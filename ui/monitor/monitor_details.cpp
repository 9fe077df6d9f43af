// The Monitor's side of the details dialog: open it on the current row and
// step it through the rows as the list shows them. A refill while it is open
// keeps it on its event as long as the list still shows that event.

#include "event_details_dlg.h"
#include "monitor_dlg.h"
#include "monitor_model.h"
#include "search_proxy.h"
#include "ui_monitor.h"

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
