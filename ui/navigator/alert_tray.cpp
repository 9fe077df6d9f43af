#include "alert_tray.h"

#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

#include "alert_text.h"
#include "level_icons.h"
#include "qt_text.h"

namespace {

constexpr int kIconSize = 32;

// The program icon with the level's Monitor icon in its lower right quarter.
QIcon MarkedIcon(const QIcon& program, const QIcon& level)
{
    QPixmap pixmap = program.pixmap(kIconSize, kIconSize);
    QPainter painter(&pixmap);
    const int mark = pixmap.width() / 2 + 2;
    painter.drawPixmap(pixmap.width() - mark, pixmap.height() - mark, level.pixmap(mark, mark));
    painter.end();
    return QIcon(pixmap);
}

}  // namespace

CAlertTray::CAlertTray(const QIcon& programIcon, QObject* parent) : QObject(parent)
{
    const std::array<QIcon, 3> levels = LoadLevelIcons();
    m_icons[0] = programIcon;
    for (size_t i = 0; i < levels.size(); ++i)
        m_icons[i + 1] = MarkedIcon(programIcon, levels[i]);

    m_pIcon = new QSystemTrayIcon(m_icons[0], this);
    CreateMenu();
    connect(m_pIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            emit showRequested();
    });
}

CAlertTray::~CAlertTray() = default;

void CAlertTray::CreateMenu()
{
    m_pMenu = std::make_unique<QMenu>();
    m_pMenu->addAction(QStringLiteral("Show"), this, &CAlertTray::showRequested);
    m_pMenu->addAction(QStringLiteral("Monitor"), this, &CAlertTray::monitorRequested);
    m_pMenu->addAction(QStringLiteral("History"), this, &CAlertTray::historyRequested);
    m_pMenu->addAction(QStringLiteral("All read"), this, &CAlertTray::allReadRequested);
    m_pMenu->addSeparator();
    m_pMenu->addAction(QStringLiteral("Exit"), this, &CAlertTray::exitRequested);
    m_pIcon->setContextMenu(m_pMenu.get());
}

void CAlertTray::Update(const CUnreadSummary& unread)
{
    if (m_bHidden)
        return;
    const QString tip = ToQString(TrayToolTip(unread));
    if (m_pIcon->toolTip() != tip)
        m_pIcon->setToolTip(tip);
    if (m_nLevel != unread.highestLevel) {
        m_nLevel = unread.highestLevel;
        m_pIcon->setIcon(m_icons[m_nLevel + 1]);
    }
    // A tray may start after the program, or come back after a restart.
    if (!m_pIcon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable())
        m_pIcon->show();
}

void CAlertTray::Hide()
{
    m_bHidden = true;
    m_pIcon->hide();
}

QString CAlertTray::ToolTip() const { return m_pIcon->toolTip(); }

bool CAlertTray::IsShown() const { return m_pIcon->isVisible(); }
