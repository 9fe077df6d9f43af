// On Windows the tray icon, with its tooltip and marked icon, is the desktop
// alert; there is no separate notification service to talk to.

#include "notifications.h"

struct CDesktopNotifier::CImpl {};

CDesktopNotifier::CDesktopNotifier(QObject* parent) : QObject(parent) {}

CDesktopNotifier::~CDesktopNotifier() = default;

void CDesktopNotifier::Notify(const CDesktopNotice&) {}
void CDesktopNotifier::Close(quint64) {}
void CDesktopNotifier::OnActionInvoked(uint, const QString&) {}
void CDesktopNotifier::OnClosed(uint, uint) {}
void CDesktopNotifier::Track(uint, quint64) {}
void CDesktopNotifier::CloseId(uint) {}
