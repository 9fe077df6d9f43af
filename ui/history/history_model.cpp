#include "history_model.h"

#include <algorithm>
#include <climits>

#include "event_level.h"
#include "history_row_text.h"
#include "level_icons.h"
#include "qt_text.h"

CHistoryModel::CHistoryModel(size_t pageSize, CFetch fetch, QObject* parent)
    : QAbstractTableModel(parent), m_Pages(pageSize), m_fnFetch(std::move(fetch)), m_Icons(LoadLevelIcons())
{
}

void CHistoryModel::Reset()
{
    beginResetModel();
    m_Pages.Reset();
    m_Wanted.clear();
    m_Asked.clear();
    m_nRows = 0;
    m_bCountKnown = false;
    endResetModel();
}

void CHistoryModel::StorePage(size_t page, std::vector<CHistoryRow> rows, const CHistoryKey& lastKey)
{
    m_Asked.erase(page);
    const auto first = static_cast<int64_t>(page * m_Pages.PageSize());
    const auto size = static_cast<int64_t>(rows.size());
    m_Pages.Store(page, std::move(rows), lastKey);
    // Before the count is known the list shows the first page alone.
    if (!m_bCountKnown && page == 0 && size > 0) {
        beginInsertRows({}, 0, static_cast<int>(size - 1));
        m_nRows = size;
        endInsertRows();
    } else if (size > 0 && first < m_nRows) {
        emit dataChanged(index(static_cast<int>(first), 0),
                         index(static_cast<int>(std::min(first + size, m_nRows) - 1), kHistColumnCount - 1));
    }
    AskWanted();
}

void CHistoryModel::SetCount(int64_t count, const std::vector<CHistoryKey>& ends)
{
    m_Pages.SetPageEnds(ends);
    m_bCountKnown = true;
    count = std::min<int64_t>(count, INT_MAX);
    if (count > m_nRows) {
        beginInsertRows({}, static_cast<int>(m_nRows), static_cast<int>(count - 1));
        m_nRows = count;
        endInsertRows();
    } else if (count < m_nRows) {
        beginRemoveRows({}, static_cast<int>(count), static_cast<int>(m_nRows - 1));
        m_nRows = count;
        endRemoveRows();
    }
    AskWanted();
}

void CHistoryModel::Want(size_t page) const
{
    if (m_Asked.count(page))
        return;
    std::optional<CHistoryKey> after;
    if (!m_Pages.StartOf(page, after)) {
        m_Wanted.insert(page);
        return;
    }
    m_Wanted.erase(page);
    m_Asked.insert(page);
    m_fnFetch(page, after);
}

void CHistoryModel::AskWanted() const
{
    const std::set<size_t> wanted = m_Wanted;
    for (size_t page : wanted)
        Want(page);
}

const CHistoryRow* CHistoryModel::RowAt(int row) const
{
    if (row < 0 || row >= m_nRows)
        return nullptr;
    const CHistoryRow* found = m_Pages.Row(row);
    if (!found)
        Want(m_Pages.PageOf(row));
    return found;
}

int CHistoryModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(m_nRows); }

int CHistoryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kHistColumnCount; }

QVariant CHistoryModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::DecorationRole && role != Qt::ToolTipRole)
        return {};
    const CHistoryRow* row = RowAt(index.row());
    if (!row)
        return {};
    if (role == Qt::DecorationRole)
        return index.column() == kHistLevel && HasLevelImage(row->m_nLevel) ? m_Icons[row->m_nLevel] : QVariant();
    return ToQString(HistoryCellText(*row, index.column()));
}

QVariant CHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return QString::fromLatin1(HistoryColumnTitle(section));
}
