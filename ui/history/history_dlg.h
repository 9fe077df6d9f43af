// The History window: every archived event, narrowed by a time range,
// levels, full-text words and name parts, with a timeline of when they
// happened and an export of the matches. Its queries run on a worker
// thread (CHistoryWorker); the window only shows what comes back. GUI
// thread only.
#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

#include "history_filter.h"
#include "history_worker.h"

namespace Ui {
class CHistoryDlg;
}
class CHistoryModel;
class CMonitorLayout;
class CTimelineWidget;
class QProgressDialog;
class QTableView;
class QLabel;

enum EHistoryPreset { kToday, kLast7Days, kLast30Days, kThisYear, kEverything };

class CHistoryDlg : public QDialog {
    Q_OBJECT
public:
    // archivePath: the archive file; empty for the one beside the data file.
    explicit CHistoryDlg(QWidget* parent = nullptr, std::string archivePath = {}, size_t pageSize = 500);
    ~CHistoryDlg() override;

    // Shows the window, or brings it forward when it is shown already.
    void ShowForward();

    struct CRange {
        std::optional<int64_t> m_nFrom, m_nTo;
        int m_nPreset = -1;  // the preset it came from; -1 for one chosen on the timeline or typed
        bool operator==(const CRange&) const = default;
    };
    const CRange& Range() const { return m_Range; }
    // Narrows to [from, to], keeping the current range for Back.
    void NarrowTo(int64_t from, int64_t to);
    void OnBack();
    void OnSave();
    void ApplyPreset(int preset);

    CHistoryModel* Model() const { return m_pModel; }
    CTimelineWidget* Timeline() const;
    QTableView* List() const;
    QLabel* Status() const;
    // Whether every answer of the current query has come.
    bool Settled() const { return m_bCounted && m_bTimelined; }
    bool Exporting() const { return m_pProgress != nullptr; }

protected:
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void StartFromPreset();
    void Requery();
    CHistoryFilter CurrentFilter() const;
    void SetRange(const CRange& range, bool keepForBack);
    void ShowRangeInFields();
    void OnRangeEdited();
    void OnHeaderClicked(int column);
    void OnDetails();
    void ShowArchiveState(uint64_t gen, EArchiveState state, const std::string& why);
    void ShowCount();
    void OnExportDone(bool cancelled, ReplaceResult result);

    std::unique_ptr<Ui::CHistoryDlg> m_ui;
    std::unique_ptr<CMonitorLayout> m_pLayout;
    CHistoryModel* m_pModel = nullptr;
    std::unique_ptr<CHistoryWorker> m_pWorker;
    QTimer m_Typing;
    uint64_t m_nGen = 0;
    CRange m_Range;
    std::vector<CRange> m_Back;
    EHistorySortKey m_eSortKey = EHistorySortKey::EventTime;
    bool m_bNewestFirst = true;
    bool m_bCounted = false;
    bool m_bTimelined = false;
    bool m_bShowingRange = false;
    bool m_bShownBefore = false;
    int m_nStartPreset = 0;  // the preset each look starts from
    QProgressDialog* m_pProgress = nullptr;
    QString m_strExportPath;
    std::optional<CHistoryRow> m_DetailsRow;  // the row whose text was asked for
};
