// Desktop notifications through the freedesktop notification service on the
// user's session bus. Every call is asynchronous: a slow or missing service
// must never hold up the window, and a missing one is not worth a word.

#include <algorithm>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QPair>
#include <QVariantMap>

#include "notifications.h"

namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr char kInterface[] = "org.freedesktop.Notifications";
// Notes the service never reports closed are forgotten after this many.
constexpr qsizetype kMaxTracked = 256;

// The bus named by the environment, or the per-user bus socket that the
// session manager sets up when the variable is missing.
QString SessionBusAddress()
{
    const QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty())
        return address;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo::exists(runtime + "/bus"))
        return "unix:path=" + runtime + "/bus";
    return {};
}

QDBusMessage Call(const char* method)
{
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, QString::fromLatin1(method));
}

}  // namespace

struct CDesktopNotifier::CImpl {
    QString connectionName;
    QDBusConnection bus{QString()};
    // Event texts may hold '<' or '&': a service that reads markup gets
    // them escaped. Assumed until the service tells its capabilities.
    bool bodyMarkup = true;
    QList<QPair<uint, quint64>> keys;  // notification id, caller's key
    // Notices sent whose id is not known yet; true once they are to be
    // closed as soon as it is.
    QHash<quint64, bool> awaiting;
};

CDesktopNotifier::CDesktopNotifier(QObject* parent, QSystemTrayIcon*)
    : QObject(parent), m_pImpl(std::make_unique<CImpl>())
{
    // A connection of its own, found when the notifier is made rather than
    // once per process, so it follows the environment of the moment.
    const QString address = SessionBusAddress();
    if (address.isEmpty())
        return;
    m_pImpl->connectionName = QStringLiteral("tellvane-notifications-%1").arg(quintptr(this));
    m_pImpl->bus = QDBusConnection::connectToBus(address, m_pImpl->connectionName);
    QDBusConnection& bus = m_pImpl->bus;
    if (!bus.isConnected())
        return;
    bus.connect(kService, kPath, kInterface, "ActionInvoked", this, SLOT(OnActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, "NotificationClosed", this, SLOT(OnClosed(uint, uint)));

    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(Call("GetCapabilities")), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<QStringList> reply = *call;
        if (reply.isValid())
            m_pImpl->bodyMarkup = reply.value().contains("body-markup");
        call->deleteLater();
    });
}

CDesktopNotifier::~CDesktopNotifier()
{
    if (!m_pImpl->connectionName.isEmpty())
        QDBusConnection::disconnectFromBus(m_pImpl->connectionName);
}

void CDesktopNotifier::Notify(const CDesktopNotice& notice)
{
    QDBusConnection& bus = m_pImpl->bus;
    if (!bus.isConnected())
        return;
    const QVariantMap hints{{"urgency", QVariant::fromValue(uchar(notice.urgency))},
                            {"desktop-entry", QStringLiteral("tellvane")}};
    // An alarm stays until it is dismissed; the others expire as the
    // service sees fit.
    const int expireTimeout = notice.urgency == NoticeUrgency::kCritical ? 0 : -1;
    QDBusMessage call = Call("Notify");
    call << QStringLiteral("Tellvane") << uint(0) << QStringLiteral("tellvane") << notice.summary
         << (m_pImpl->bodyMarkup ? notice.body.toHtmlEscaped() : notice.body)
         << QStringList{QStringLiteral("default"), QStringLiteral("Show")} << hints << expireTimeout;

    m_pImpl->awaiting.insert(notice.key, false);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, key = notice.key](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<uint> reply = *w;
        const bool closeNow = m_pImpl->awaiting.take(key);
        if (reply.isValid()) {
            if (closeNow)
                CloseId(reply.value());
            else
                Track(reply.value(), key);
        }
        w->deleteLater();
    });
}

void CDesktopNotifier::Close(quint64 key)
{
    if (const auto awaited = m_pImpl->awaiting.find(key); awaited != m_pImpl->awaiting.end()) {
        *awaited = true;
        return;
    }
    const auto tracked = std::find_if(m_pImpl->keys.cbegin(), m_pImpl->keys.cend(),
                                      [key](const QPair<uint, quint64>& entry) { return entry.second == key; });
    if (tracked == m_pImpl->keys.cend())
        return;
    const uint id = tracked->first;
    m_pImpl->keys.erase(tracked);
    CloseId(id);
}

void CDesktopNotifier::CloseId(uint id)
{
    QDBusMessage call = Call("CloseNotification");
    call << id;
    m_pImpl->bus.asyncCall(call);
}

void CDesktopNotifier::Track(uint id, quint64 key)
{
    m_pImpl->keys.append({id, key});
    if (m_pImpl->keys.size() > kMaxTracked)
        m_pImpl->keys.removeFirst();
}

void CDesktopNotifier::OnActionInvoked(uint id, const QString& action)
{
    if (action != QLatin1String("default"))
        return;
    for (const auto& [tracked, key] : std::as_const(m_pImpl->keys)) {
        if (tracked == id) {
            emit Activated(key);
            return;
        }
    }
}

void CDesktopNotifier::OnClosed(uint id, uint)
{
    m_pImpl->keys.removeIf([id](const QPair<uint, quint64>& entry) { return entry.first == id; });
}
