#include "cut_cell_tips.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

bool CCutCellTips::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                             const QModelIndex& index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    // What the cell would need to show its text, icon and margins whole.
    if (sizeHint(option, index).width() <= option.rect.width()) {
        QToolTip::hideText();
        return false;
    }
    QToolTip::showText(event->globalPos(), index.data(Qt::DisplayRole).toString(), view, option.rect);
    return true;
}
