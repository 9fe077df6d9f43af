#include "search_proxy.h"

#include "monitor_model.h"
#include "quick_search.h"

CSearchProxy::CSearchProxy(CMonitorModel* rows, QObject* parent) : QSortFilterProxyModel(parent), m_pRows(rows)
{
    setSourceModel(rows);
}

void CSearchProxy::SetSearchText(const QString& typed)
{
    const QString needle = SearchNeedle(typed);
    if (needle == m_needle)
        return;
    m_needle = needle;
    invalidateRowsFilter();
}

std::vector<size_t> CSearchProxy::ShownRows() const
{
    std::vector<size_t> rows;
    rows.reserve(static_cast<size_t>(rowCount()));
    for (int r = 0; r < rowCount(); ++r)
        rows.push_back(static_cast<size_t>(mapToSource(index(r, 0)).row()));
    return rows;
}

bool CSearchProxy::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    return m_needle.isEmpty() || MatchesSearch(m_pRows->SearchTexts(sourceRow), m_needle);
}
