// The navigator's side of the Monitor: open it, refill it, free it.

#include "monitor_dlg.h"
#include "navigator_dlg.h"

void CNavigatorDlg::OnMonitor()
{
    if (!m_pMonitor) {
        m_pMonitor = new CMonitorDlg(this);
        connect(m_pMonitor, &CMonitorDlg::showNavigator, this, &QWidget::show);
    }
    m_pMonitor->FillList();
    m_pMonitor->show();
    hide();
}

void CNavigatorDlg::RefillMonitor()
{
    if (m_pMonitor)
        m_pMonitor->FillList();
}

void CNavigatorDlg::DeleteMonitor()
{
    // Later, not now: a session end can arrive while one of the Monitor's
    // own dialogs runs its loop inside a Monitor member function.
    if (m_pMonitor)
        m_pMonitor->deleteLater();
    m_pMonitor = nullptr;
}
