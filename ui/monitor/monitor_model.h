// The Monitor's rows for the list view: each row owns a copy of its event,
// and the view asks only for the cells on screen, so a list of ten thousand
// rows refills in one reset.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>
#include <array>
#include <vector>

#include "monitor_row.h"
#include "row_sort.h"

class CMonitorModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CMonitorModel(QObject* parent = nullptr);

    // Replaces every row (a refill) or removes them all (ClearList).
    void SetRows(CMonitorRows rows);
    void ClearList();
    // Reorders the rows and their g_PosList entries.
    void SortRows(const CSortState& state);

    const CMonitorRows& Rows() const { return m_rows; }

    // What the quick search compares for a row, made on first use after a
    // refill or sort and kept until the next one.
    const QStringList& SearchTexts(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    CMonitorRows m_rows;
    mutable std::vector<QStringList> m_searchTexts;  // by row; empty until made
    std::array<QIcon, 3> m_levelIcons;  // image index = level
};
