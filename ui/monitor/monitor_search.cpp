// The Monitor's quick search field. It takes the top of the list's place
// only while it is in use, so the list keeps its own place otherwise.

#include "monitor_dlg.h"
#include "ui_monitor.h"

namespace {

constexpr int kSearchGap = 6;  // between the label, the field and the list

}  // namespace

void CMonitorDlg::OnFind()
{
    SetSearchShown(true);
    m_ui->m_edtSearch->setFocus(Qt::ShortcutFocusReason);
    m_ui->m_edtSearch->selectAll();
}

void CMonitorDlg::SetSearchShown(bool shown)
{
    m_ui->m_lblSearch->setVisible(shown);
    m_ui->m_edtSearch->setVisible(shown);
    PlaceList();
}

void CMonitorDlg::PlaceList()
{
    QRect list = m_rcList;
    if (!m_ui->m_edtSearch->isHidden()) {
        const int height = m_ui->m_edtSearch->sizeHint().height();
        const int labelWidth = m_ui->m_lblSearch->sizeHint().width();
        const int fieldLeft = list.left() + labelWidth + kSearchGap;
        m_ui->m_lblSearch->setGeometry(list.left(), list.top(), labelWidth, height);
        m_ui->m_edtSearch->setGeometry(fieldLeft, list.top(), list.right() + 1 - fieldLeft, height);
        list.setTop(list.top() + height + kSearchGap);
    }
    m_ui->m_List->setGeometry(list);
}

// Escape empties the field, and a second one puts it away; Enter goes on to
// the rows found instead of closing the Monitor.
bool CMonitorDlg::OnSearchKey(int key)
{
    switch (key) {
    case Qt::Key_Escape:
        if (!m_ui->m_edtSearch->text().isEmpty()) {
            m_ui->m_edtSearch->clear();
            return true;
        }
        SetSearchShown(false);
        m_ui->m_List->setFocus(Qt::OtherFocusReason);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: m_ui->m_List->setFocus(Qt::OtherFocusReason); return true;
    default: return false;
    }
}
