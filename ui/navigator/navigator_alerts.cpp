// The navigator's side of the alerts: the tray and the notifications bring
// it forward, the File menu opens the Alerts dialog, and the window shows
// the level of the event on screen.

#include <QApplication>
#include <QMenu>

#include "alerts.h"
#include "event_store.h"
#include "level_icons.h"
#include "navigator_dlg.h"
#include "qt_text.h"
#include "event_level.h"
#include "shell_services.h"
#include "ui_navigator.h"

namespace {

constexpr int kLevelIconSize = 15;

}  // namespace

void CNavigatorDlg::ConnectAlerts()
{
    m_pAlerts = new CAlerts(this);
    connect(m_pAlerts, &CAlerts::showRequested, this, &CNavigatorDlg::ShowNavigator);
    connect(m_pAlerts, &CAlerts::monitorRequested, this, &CNavigatorDlg::OnMonitor);
    connect(m_pAlerts, &CAlerts::allReadRequested, this, &CNavigatorDlg::OnAllRead);
    connect(m_pAlerts, &CAlerts::eventRequested, this, &CNavigatorDlg::OnShowEvent);
    connect(m_pAlerts, &CAlerts::exitRequested, this, [this] {
        // A dialog of the program still has its own loop running: leaving
        // under it would go on after the final save. Show it instead.
        if (QApplication::activeModalWidget())
            ShowNavigator();
        else
            OnExit();
    });
    // The File menu holds what the window defines until the user opens it;
    // the Alerts entry then joins it beside Save.
    connect(m_ui->menuFile, &QMenu::aboutToShow, this, &CNavigatorDlg::AddAlertsEntry, Qt::SingleShotConnection);
}

void CNavigatorDlg::StartAlerts() { m_pAlerts->Start(); }

void CNavigatorDlg::AddAlertsEntry()
{
    QMenu* file = m_ui->menuFile;
    const QList<QAction*> entries = file->actions();
    QAction* alerts = new QAction(QStringLiteral("&Alerts..."), file);
    alerts->setObjectName("actionAlerts");
    connect(alerts, &QAction::triggered, this, &CNavigatorDlg::OnAlerts);
    const qsizetype afterSave = entries.indexOf(m_ui->actionSave) + 1;
    file->insertAction(afterSave < entries.size() ? entries[afterSave] : nullptr, alerts);
}

void CNavigatorDlg::OnAlerts() { m_pAlerts->OnAlertsDialog(); }

void CNavigatorDlg::ShowNavigator()
{
    showNormal();
    if (!IsHeadless()) {
        raise();
        activateWindow();
    }
}

void CNavigatorDlg::OnShowEvent(const CSimpleMessage& rec)
{
    // An event evicted since its notification can no longer be shown; the
    // window still comes forward.
    const int slot = FindSlot(rec);
    if (slot >= 0)
        Navigate(slot);
    ShowNavigator();
}

// The Monitor's type text and icon of the shown event, beside the banner.
void CNavigatorDlg::ShowLevel()
{
    const bool known = cur_item != -1 && HasLevelImage(m_Shown.level);
    const QString text = known ? ToQString(TypeText(m_Shown.level)) : QString();
    QLabel* icon = m_ui->ctlLevelIcon;
    QLabel* name = m_ui->lblLevel;
    if (name->text() == text && !name->isHidden() == known)
        return;
    name->setText(text);
    icon->setPixmap(known ? LoadLevelIcons()[m_Shown.level].pixmap(kLevelIconSize) : QPixmap());
    name->setVisible(known);
    icon->setVisible(known);
}
