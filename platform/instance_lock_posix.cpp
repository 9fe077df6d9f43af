// The instance lock on Linux and other POSIX systems: a lock file in the
// per-user runtime folder.

#include <QLockFile>
#include <QString>

#include "instance_lock.h"
#include "runtime_dir.h"

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

}  // namespace

std::unique_ptr<CInstanceLock> AcquireInstanceLock(int waitMs)
{
    const QString path = QString::fromStdString(RuntimeDirectory()) + "/ZQTellvane.lock";
    auto lock = std::make_unique<CLockFileInstance>(path);
    if (!lock->TryLock(waitMs))
        return nullptr;
    return lock;
}
