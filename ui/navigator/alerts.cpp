#include "alerts.h"

#include <QWidget>

#include "alert_settings.h"
#include "alert_text.h"
#include "alert_tray.h"
#include "alerts_dlg.h"
#include "notifications.h"
#include "qt_text.h"
#include "settings.h"
#include "shell_services.h"

namespace {

NoticeUrgency UrgencyOf(int level)
{
    switch (level) {
    case kLevelAlarm: return NoticeUrgency::kCritical;
    case kLevelWarning: return NoticeUrgency::kNormal;
    default: return NoticeUrgency::kLow;
    }
}

}  // namespace

CAlerts::CAlerts(QWidget* window) : QObject(window), m_pWindow(window)
{
    m_repeat.setSingleShot(false);
    connect(&m_repeat, &QTimer::timeout, this, &CAlerts::OnRepeat);
}

CAlerts::~CAlerts() = default;

void CAlerts::Start()
{
    m_pTray = new CAlertTray(m_pWindow->windowIcon(), this);
    connect(m_pTray, &CAlertTray::showRequested, this, &CAlerts::showRequested);
    connect(m_pTray, &CAlertTray::monitorRequested, this, &CAlerts::monitorRequested);
    connect(m_pTray, &CAlertTray::historyRequested, this, &CAlerts::historyRequested);
    connect(m_pTray, &CAlertTray::allReadRequested, this, &CAlerts::allReadRequested);
    connect(m_pTray, &CAlertTray::exitRequested, this, &CAlerts::exitRequested);
    m_pNotifier = new CDesktopNotifier(this, m_pTray->Icon());
    connect(m_pNotifier, &CDesktopNotifier::Activated, this, &CAlerts::OnNoticeActivated);
    UpdateUnread();
}

void CAlerts::Stop()
{
    m_bStopped = true;
    m_repeat.stop();
    if (m_pTray)
        m_pTray->Hide();
}

void CAlerts::OnArrivals()
{
    const CArrivals arrivals = SummarizeArrivals();
    if (arrivals.count == 0)
        return;
    Sound(arrivals.highestLevel);
    if (gNotify != 0)
        Notify(arrivals);
    // A new alarm starts the interval afresh, so its own sound is not
    // followed at once by a repeat.
    if (arrivals.highestLevel == kLevelAlarm)
        m_repeat.stop();
    UpdateUnread();
}

void CAlerts::UpdateUnread()
{
    if (m_bStopped || !m_pTray)
        return;
    WithdrawSettled();
    const CUnreadSummary unread = SummarizeUnread();
    m_pTray->Update(unread);
    if (gAlarmRepeat == 0 || unread.alarms == 0)
        m_repeat.stop();
    else if (!m_repeat.isActive())
        m_repeat.start(RepeatIntervalMs());
}

void CAlerts::OnStepped(int slot)
{
    m_announced.Seen(slot);
    UpdateUnread();
}

void CAlerts::WithdrawSettled()
{
    for (const quint64 key : m_announced.TakeSettled())
        m_pNotifier->Close(key);
}

void CAlerts::OnAlertsDialog()
{
    CAlertsDlg dlg(m_pWindow);
    dlg.m_bNotify = gNotify;
    dlg.m_bLevelSound = gLevelSound;
    dlg.m_bAlarmRepeat = gAlarmRepeat;
    dlg.m_nRepeatSecs = gRepeatSecs;
    dlg.m_bBeep = gBeep;
    if (dlg.DoModal() != QDialog::Accepted)
        return;
    if (dlg.m_bNotify == gNotify && dlg.m_bLevelSound == gLevelSound && dlg.m_bAlarmRepeat == gAlarmRepeat
        && dlg.m_nRepeatSecs == gRepeatSecs)
        return;
    gNotify = dlg.m_bNotify;
    gLevelSound = dlg.m_bLevelSound;
    gAlarmRepeat = dlg.m_bAlarmRepeat;
    gRepeatSecs = dlg.m_nRepeatSecs;
    WriteAlertSettings();
    // A changed interval takes effect now, not after the old one ran out.
    m_repeat.stop();
    UpdateUnread();
}

void CAlerts::Sound(int level)
{
    if (gBeep == 0)
        return;
    const CToneSequence tones = LevelTones(level, gLevelSound != 0);
    if (tones == CToneSequence{kBeepTone})
        ShellServices().beep();
    else
        ShellServices().playTones(tones);
}

void CAlerts::Notify(const CArrivals& arrivals)
{
    if (!m_pNotifier)
        return;
    const CNoticeText text = NoticeText(arrivals);
    const quint64 key = ++m_nLastKey;
    m_announced.Announce(key, arrivals.named, arrivals.firstSlot);
    m_pNotifier->Notify({ToQString(text.summary), ToQString(text.body), UrgencyOf(arrivals.highestLevel), key});
}

void CAlerts::OnNoticeActivated(quint64 key)
{
    if (const CSimpleMessage* named = m_announced.Named(key))
        emit eventRequested(*named);
    else
        emit showRequested();
}

void CAlerts::OnRepeat()
{
    UpdateUnread();
    if (m_repeat.isActive())
        Sound(kLevelAlarm);
}

int CAlerts::RepeatIntervalMs() const
{
    return ShellServices().timerPeriods.alarmRepeat > 0 ? ShellServices().timerPeriods.alarmRepeat : gRepeatSecs * 1000;
}
