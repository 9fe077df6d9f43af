// Notifications as the tray icon's messages. Windows shows one at a time and
// says only that the message was clicked, so a click always means the newest.

#include <QPointer>

#include "notifications.h"
#include "tray_message_win32.h"

ShowTrayMessageFn g_ShowTrayMessage = [](QSystemTrayIcon& tray, const QString& title, const QString& text,
                                          QSystemTrayIcon::MessageIcon icon) { tray.showMessage(title, text, icon); };

namespace {

// Cut to what Windows keeps, visibly, and never between the halves of a
// character outside the Basic Multilingual Plane.
QString Fit(const QString& text, qsizetype limit)
{
    if (text.size() <= limit)
        return text;
    qsizetype cut = limit - 1;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut) + QChar(0x2026);
}

QSystemTrayIcon::MessageIcon IconOf(NoticeUrgency urgency)
{
    switch (urgency) {
    case NoticeUrgency::kCritical: return QSystemTrayIcon::Critical;
    case NoticeUrgency::kNormal: return QSystemTrayIcon::Warning;
    case NoticeUrgency::kLow: break;
    }
    return QSystemTrayIcon::Information;
}

}  // namespace

struct CDesktopNotifier::CImpl {
    QPointer<QSystemTrayIcon> tray;
    quint64 newestKey = 0;
};

CDesktopNotifier::CDesktopNotifier(QObject* parent, QSystemTrayIcon* tray)
    : QObject(parent), m_pImpl(std::make_unique<CImpl>())
{
    m_pImpl->tray = tray;
    if (tray)
        connect(tray, &QSystemTrayIcon::messageClicked, this, [this] { emit Activated(m_pImpl->newestKey); });
}

CDesktopNotifier::~CDesktopNotifier() = default;

void CDesktopNotifier::Notify(const CDesktopNotice& notice)
{
    if (!m_pImpl->tray)
        return;
    m_pImpl->newestKey = notice.key;
    g_ShowTrayMessage(*m_pImpl->tray, Fit(notice.summary, kTrayTitleLimit), Fit(notice.body, kTrayTextLimit),
                      IconOf(notice.urgency));
}

// A tray message cannot be taken back once shown; it leaves by itself.
void CDesktopNotifier::Close(quint64) {}

// The session bus's replies, which Windows has none of.
void CDesktopNotifier::OnActionInvoked(uint, const QString&) {}
void CDesktopNotifier::OnClosed(uint, uint) {}
void CDesktopNotifier::Track(uint, quint64) {}
void CDesktopNotifier::CloseId(uint) {}
