// Instance lock, diagnostic file and runtime folder on Linux and other
// POSIX systems.

#include "platform.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

#include <QDir>
#include <QLockFile>
#include <QString>

namespace {

class CLockFileInstance : public CInstanceLock {
public:
    explicit CLockFileInstance(const QString& path) : m_Lock(path)
    {
        // The lock lives until the process ends, however long that is.
        m_Lock.setStaleLockTime(0);
    }
    bool TryLock(int waitMs) { return m_Lock.tryLock(waitMs); }

private:
    QLockFile m_Lock;
};

// Held open (and locked) from start-up until the process ends.
int g_DiagnosticFd = -1;

}  // namespace

std::string RuntimeDirectory()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/' && QDir(QString::fromLocal8Bit(runtime)).exists())
        return runtime;
    return QDir::tempPath().toStdString();
}

std::unique_ptr<CInstanceLock> AcquireInstanceLock(int waitMs)
{
    const QString path = QString::fromStdString(RuntimeDirectory()) + "/ZQTellvane.lock";
    auto lock = std::make_unique<CLockFileInstance>(path);
    if (!lock->TryLock(waitMs))
        return nullptr;
    return lock;
}

void OpenDiagnosticFile()
{
    if (g_DiagnosticFd >= 0)
        return;
    const std::string path = RuntimeDirectory() + "/tvaneDebug.txt";
    // Take the lock before emptying the file, so that a second instance
    // never empties the file the first one holds.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return;
    }
    g_DiagnosticFd = fd;
}
