#include "program_run.h"

#include <signal.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include "private_home.h"
#include "tellvane_send_client.h"

namespace {

// Every program a test starts, and every tellvane-send, uses an endpoint of
// this process's own: a Tellvane of the user's may be listening on the real one.
void UsePrivateEndpoint()
{
    if (qEnvironmentVariableIsEmpty("TELLVANE_ENDPOINT"))
        qputenv("TELLVANE_ENDPOINT", "tellvane-test-" + QByteArray::number(QCoreApplication::applicationPid()));
}

}  // namespace

CProgramHome::CProgramHome() { UsePrivateEndpoint(); }

QProcessEnvironment CProgramHome::Environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto& [key, value] : PrivateHomeVariables(Path().toStdString()))
        env.insert(QString::fromStdString(key), QString::fromStdString(value));
    env.remove("DBUS_SESSION_BUS_ADDRESS");  // no notifications on the desktop of whoever runs the tests
    return env;
}

bool CProgramHome::UseSettings(const QByteArray& lines) const
{
    QDir().mkpath(Path() + "/config/Zentrovo");
    QFile settings(Path() + "/config/Zentrovo/Tellvane.conf");
    return settings.open(QIODevice::WriteOnly) && settings.write("[Settings]\n" + lines) > 0;
}

CProgramRun::CProgramRun(const CProgramHome& home) : CProgramRun(home.Environment(), QStringList()) {}

CProgramRun::CProgramRun(const QProcessEnvironment& environment, const QStringList& arguments, const QString& program)
{
    m_Process.setProcessEnvironment(environment);
    m_Process.start(program, arguments);
    m_Process.waitForStarted();
}

CProgramRun::~CProgramRun()
{
    if (m_Process.state() != QProcess::NotRunning) {
        m_Process.kill();
        m_Process.waitForFinished();
    }
}

bool CProgramRun::WaitListening(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired() && m_Process.state() == QProcess::Running) {
        CSenderConnection probe;
        if (probe.Connect(m_Process.processEnvironment().value("TELLVANE_ENDPOINT", "zqevent").toStdString()))
            return true;
        QThread::msleep(20);
    }
    return false;
}

int CProgramRun::Stop(int signal, int timeoutMs)
{
    ::kill(static_cast<pid_t>(m_Process.processId()), signal);
    return WaitEnded(timeoutMs);
}

int CProgramRun::WaitEnded(int timeoutMs)
{
    if (!m_Process.waitForFinished(timeoutMs) || m_Process.exitStatus() != QProcess::NormalExit)
        return -1;
    return m_Process.exitCode();
}

QString CProgramRun::Stderr() { return QString::fromLocal8Bit(m_Process.readAllStandardError()); }

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString SendEvents(const QStringList& texts)
{
    QProcess send;
    send.start(TELLVANE_SEND_PATH, texts);
    send.waitForFinished(10000);
    return QString::fromLocal8Bit(send.readAllStandardOutput());
}

QStringList NamespaceOptions()
{
    for (const QStringList& options :
         {QStringList{"--mount", "--propagation", "private"},
          QStringList{"--user", "--map-root-user", "--mount", "--propagation", "private"}}) {
        QProcess probe;
        probe.start("unshare", options + QStringList{"true"});
        if (probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0)
            return options;
    }
    return {};
}
