// What the Monitor list shows: the refilled rows narrowed by the quick
// search, in their order. A refill or a sort of the rows below keeps the
// search; only the search field changes it.
#pragma once

#include <QSortFilterProxyModel>
#include <vector>

class CMonitorModel;

class CSearchProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit CSearchProxy(CMonitorModel* rows, QObject* parent = nullptr);

    void SetSearchText(const QString& typed);

    // The rows shown, as row numbers of the model below, in display order.
    std::vector<size_t> ShownRows() const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    CMonitorModel* m_pRows;
    QString m_needle;
};
