#include "monitor_model.h"

#include "level_icons.h"
#include "qt_text.h"
#include "quick_search.h"
#include "row_text.h"

CMonitorModel::CMonitorModel(QObject* parent) : QAbstractTableModel(parent), m_levelIcons(LoadLevelIcons()) {}

void CMonitorModel::SetRows(CMonitorRows rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_searchTexts.clear();
    endResetModel();
}

void CMonitorModel::ClearList() { SetRows({}); }

void CMonitorModel::SortRows(const CSortState& state)
{
    emit layoutAboutToBeChanged();
    ::SortRows(m_rows, state);
    m_searchTexts.clear();
    emit layoutChanged();
}

const QStringList& CMonitorModel::SearchTexts(int row) const
{
    m_searchTexts.resize(m_rows.size());
    QStringList& texts = m_searchTexts[static_cast<size_t>(row)];
    if (texts.isEmpty())
        texts = ::SearchTexts(m_rows[static_cast<size_t>(row)].rec);
    return texts;
}

int CMonitorModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int CMonitorModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kMonitorColumns; }

QVariant CMonitorModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const CSimpleMessage& rec = m_rows[index.row()].rec;
    if (role == Qt::DisplayRole)
        return ToQString(CellText(rec, index.column()));
    if (role == Qt::DecorationRole && index.column() == kColType && HasLevelImage(rec.level))
        return m_levelIcons[rec.level];
    if (role == Qt::AccessibleTextRole && index.column() == kColType)
        return ToQString(LevelAccessibleText(rec.level));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

QVariant CMonitorModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return ToQString(ColumnHeaderText(section));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}
