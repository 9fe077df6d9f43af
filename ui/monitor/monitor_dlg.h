// The Monitor: the stored events as a filtered, sortable four-column list
// beside the navigator. Modeless; created hidden on first use and kept until
// the program ends; hiding it keeps rows, sort state and size.
#pragma once

#include <QDialog>
#include <memory>

#include "monitor_settings.h"
#include "row_sort.h"

namespace Ui {
class CMonitorDlg;
}
class CMonitorModel;
class QResizeEvent;

class CMonitorDlg : public QDialog {
    Q_OBJECT
public:
    explicit CMonitorDlg(QWidget* navigator);  // created hidden, list filled once
    ~CMonitorDlg() override;

    // Rebuilds every row from the store under g_StoreMutex, newest first.
    void FillList();

    // For tests: the rows as shown, the sort state, and a fixed "today".
    const CMonitorModel& Model() const { return *m_pModel; }
    const CSortState& SortState() const { return m_sort; }
    void SetTodaySource(TodayFn today) { m_fnToday = std::move(today); }

signals:
    // OK and Cancel hand the screen back to the navigator.
    void showNavigator();

public slots:
    void OnConfigure();
    void OnSave();
    void OnColumnClick(int column);

protected:
    void accept() override;  // OK, Enter
    void reject() override;  // Cancel, Escape, the close box
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnInitDialog();
    void OnSize(int width, int height);

    std::unique_ptr<Ui::CMonitorDlg> m_ui;
    CMonitorModel* m_pModel = nullptr;
    CSortState m_sort;
    bool m_bInitialised = false;
    TodayFn m_fnToday = LocalToday;
};
