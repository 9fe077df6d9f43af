// A list cell too narrow for its text shows the whole text as its tooltip;
// one shown whole shows none. GUI thread only.
#pragma once

#include <QStyledItemDelegate>

class CCutCellTips : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};
