#include "quick_search_bar.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

constexpr int kSearchGap = 6;  // between the label, the field and the list

}  // namespace

CQuickSearchBar::CQuickSearchBar(QLabel* label, QLineEdit* field, QAbstractItemView* list, QObject* parent)
    : QObject(parent), m_pLabel(label), m_pField(field), m_pList(list), m_rcArea(list->geometry())
{
    m_pField->installEventFilter(this);
    SetShown(false);
}

void CQuickSearchBar::Open()
{
    SetShown(true);
    m_pField->setFocus(Qt::ShortcutFocusReason);
    m_pField->selectAll();
}

void CQuickSearchBar::SetArea(const QRect& area)
{
    m_rcArea = area;
    Place();
}

void CQuickSearchBar::SetShown(bool shown)
{
    m_pLabel->setVisible(shown);
    m_pField->setVisible(shown);
    Place();
}

void CQuickSearchBar::Place()
{
    QRect list = m_rcArea;
    if (!m_pField->isHidden()) {
        const int height = m_pField->sizeHint().height();
        const int labelWidth = m_pLabel->sizeHint().width();
        const int fieldLeft = list.left() + labelWidth + kSearchGap;
        m_pLabel->setGeometry(list.left(), list.top(), labelWidth, height);
        m_pField->setGeometry(fieldLeft, list.top(), list.right() + 1 - fieldLeft, height);
        list.setTop(list.top() + height + kSearchGap);
    }
    m_pList->setGeometry(list);
}

bool CQuickSearchBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pField && event->type() == QEvent::KeyPress)
        return OnKey(static_cast<QKeyEvent*>(event)->key());
    return QObject::eventFilter(watched, event);
}

bool CQuickSearchBar::OnKey(int key)
{
    switch (key) {
    case Qt::Key_Escape:
        if (!m_pField->text().isEmpty()) {
            m_pField->clear();
            return true;
        }
        SetShown(false);
        m_pList->setFocus(Qt::OtherFocusReason);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: m_pList->setFocus(Qt::OtherFocusReason); return true;
    default: return false;
    }
}
