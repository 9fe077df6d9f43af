// The Monitor: the stored events as a filtered, sortable four-column list
// beside the navigator, with its export ("Save") and the details of a row.
// Modeless; created hidden on first use and kept until the program ends;
// hiding it keeps rows, sort state and size. GUI thread only.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>

#include "monitor_settings.h"
#include "row_sort.h"
#include "simple_message.h"

namespace Ui {
class CMonitorDlg;
}
class CEventDetailsDlg;
class CMonitorLayout;
class CMonitorModel;
class CQuickSearchBar;
class CSearchProxy;
class QResizeEvent;

class CMonitorDlg : public QDialog {
    Q_OBJECT
public:
    explicit CMonitorDlg(QWidget* navigator);  // created hidden, list filled once
    ~CMonitorDlg() override;

    // Rebuilds every row from the store under g_StoreMutex, newest first.
    // The quick search and the row the user stands on stay.
    void FillList();

    // For tests: the rows as filled and as shown, the sort state, and a
    // fixed "today".
    const CMonitorModel& Model() const { return *m_pModel; }
    const CSearchProxy& Shown() const { return *m_pShown; }
    const CSortState& SortState() const { return m_sort; }
    void SetTodaySource(TodayFn today) { m_fnToday = std::move(today); }

signals:
    // OK and Cancel hand the screen back to the navigator.
    void showNavigator();
    // Ctrl+H: the History window.
    void historyRequested();

public slots:
    void OnConfigure();
    void OnSave();
    void OnColumnClick(int column);
    void OnFind();     // the search field, shown and focused
    void OnDetails();  // the details of the current row

protected:
    void accept() override;  // OK, Enter
    void reject() override;  // Cancel, Escape, the close box
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnInitDialog();
    void OnSize(int width, int height);
    void CreateShortcuts();
    bool OnListKey(int key);

    std::optional<CSimpleMessage> CurrentEvent() const;
    void GoToEvent(const CSimpleMessage& rec);
    void GoToRow(int row);
    void ShowListFocus();
    void StepDetails(int delta);
    void ShowCurrentDetails();

    std::unique_ptr<Ui::CMonitorDlg> m_ui;
    std::unique_ptr<CMonitorLayout> m_pLayout;
    CMonitorModel* m_pModel = nullptr;
    CSearchProxy* m_pShown = nullptr;
    CQuickSearchBar* m_pSearch = nullptr;
    CEventDetailsDlg* m_pDetails = nullptr;  // while the details dialog is open
    CSortState m_sort;
    bool m_bInitialised = false;
    TodayFn m_fnToday = LocalToday;
};
