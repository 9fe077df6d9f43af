// The navigator's side of the Monitor: open it, refill it, free it.
//
// SEAM: the Monitor window is wired in here once it has landed; until then
// the button does nothing and m_pMonitor stays null.

#include "navigator_dlg.h"

void CNavigatorDlg::OnMonitor() {}

void CNavigatorDlg::RefillMonitor()
{
    if (!m_pMonitor)
        return;
}

void CNavigatorDlg::DeleteMonitor() { m_pMonitor = nullptr; }
