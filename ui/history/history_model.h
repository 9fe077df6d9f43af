// The History list's rows: as many as the query counted, of which only the
// pages around what the view shows are held (CHistoryPages). A row whose
// page is not held asks for it and shows empty until it arrives, so a
// million matches scroll as a hundred do. GUI thread only.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <array>
#include <functional>
#include <optional>
#include <set>

#include "history_pages.h"

class CHistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using CFetch = std::function<void(size_t page, std::optional<CHistoryKey> after)>;
    CHistoryModel(size_t pageSize, CFetch fetch, QObject* parent = nullptr);

    // A new query: no rows until its first page.
    void Reset();
    void StorePage(size_t page, std::vector<CHistoryRow> rows, const CHistoryKey& lastKey);
    void SetCount(int64_t count, const std::vector<CHistoryKey>& ends);

    bool CountKnown() const { return m_bCountKnown; }
    int64_t Count() const { return m_nRows; }
    // The row, or nullptr while its page is on its way.
    const CHistoryRow* RowAt(int row) const;
    const CHistoryPages& Pages() const { return m_Pages; }
    // Whether the row's page is held, without asking for it.
    bool Holds(int row) const { return m_Pages.Row(row) != nullptr; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void Want(size_t page) const;
    void AskWanted() const;

    mutable CHistoryPages m_Pages;
    CFetch m_fnFetch;
    mutable std::set<size_t> m_Wanted;  // not yet askable: the key before them is unknown
    mutable std::set<size_t> m_Asked;   // on their way
    int64_t m_nRows = 0;
    bool m_bCountKnown = false;
    std::array<QIcon, 3> m_Icons;
};
