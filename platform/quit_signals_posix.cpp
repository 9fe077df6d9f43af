#include "quit_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include <QSocketNotifier>

namespace {

int s_QuitPipe[2] = {-1, -1};
constexpr int kQuitSignals[] = {SIGTERM, SIGHUP, SIGINT};

void OnQuitSignal(int signal)
{
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(s_QuitPipe[1], &byte, 1);
    errno = saved;
}

void SetHandler(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kQuitSignals)
        ::sigaction(signal, &action, nullptr);
}

}  // namespace

CQuitSignals::CQuitSignals(std::function<void()> onQuit, QObject* parent) : QObject(parent), m_onQuit(std::move(onQuit))
{
    if (s_QuitPipe[0] < 0 && ::pipe2(s_QuitPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_pNotifier = new QSocketNotifier(s_QuitPipe[0], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &CQuitSignals::OnSignalled);
    SetHandler(OnQuitSignal);
}

CQuitSignals::~CQuitSignals()
{
    if (m_pNotifier)
        SetHandler(SIG_DFL);
}

void CQuitSignals::OnSignalled()
{
    char bytes[16];
    while (::read(s_QuitPipe[0], bytes, sizeof bytes) > 0) {
    }
    if (m_onQuit)
        m_onQuit();
}
