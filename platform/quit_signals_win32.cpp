// Windows sends a windowed program no termination signals: it is closed
// through its window, or ended with the logon session like any other
// program. So there is nothing to listen for here.
#include "quit_signals.h"

CQuitSignals::CQuitSignals(std::function<void()> onQuit, QObject* parent) : QObject(parent), m_onQuit(std::move(onQuit))
{
}

CQuitSignals::~CQuitSignals() = default;

void CQuitSignals::OnSignalled() { m_onQuit(); }
