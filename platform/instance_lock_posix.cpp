// The instance locks on Linux and other POSIX systems: a lock file in the
// per-user runtime folder, and an flock on the data folder itself.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include <QLockFile>
#include <QString>

#include "file_replace.h"
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

class CFlockInstance : public CInstanceLock {
public:
    explicit CFlockInstance(int fd) : m_Fd(fd) {}
    ~CFlockInstance() override { ::close(m_Fd); }
    CFlockInstance(const CFlockInstance&) = delete;
    CFlockInstance& operator=(const CFlockInstance&) = delete;

private:
    int m_Fd;
};

// The data folder itself, made if missing (private, its new parents too).
// Every path that reaches it, through a link or a bind mount, opens the one
// folder and so meets the one lock. A folder of this user's is closed to
// others; where a file stands in the folder's place nothing can be saved
// under it, and it is locked the same way. Anything else is not used.
int OpenDataFolder(const std::string& path)
{
    MakePrivateFolder(path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat st = {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !(S_ISDIR(st.st_mode) || S_ISREG(st.st_mode))) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    // Closed to others only: what the owner may do there is the owner's choice.
    if (S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) != 0)
        ::fchmod(fd, st.st_mode & 07700);
    return fd;
}

bool FlockWithin(int fd, int waitMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace

std::unique_ptr<CInstanceLock> AcquireInstanceLock(int waitMs)
{
    const std::string folder = RuntimeDirectory();
    if (folder.empty())
        return std::make_unique<CInstanceLock>();  // no private place for it; the data lock still holds
    auto lock = std::make_unique<CLockFileInstance>(QString::fromStdString(folder) + "/ZQTellvane.lock");
    if (!lock->TryLock(waitMs))
        return nullptr;
    return lock;
}

std::unique_ptr<CInstanceLock> AcquireDataLock(const std::string& dataFolder, int waitMs)
{
    if (dataFolder.empty())
        return std::make_unique<CInstanceLock>();  // no folder can be told: nothing is read or written
    // A folder that cannot be opened cannot be locked: the start is refused
    // rather than run beside another instance unseen.
    const int fd = OpenDataFolder(dataFolder);
    if (fd < 0 || !FlockWithin(fd, waitMs)) {
        if (fd >= 0)
            ::close(fd);
        return nullptr;
    }
    return std::make_unique<CFlockInstance>(fd);
}
