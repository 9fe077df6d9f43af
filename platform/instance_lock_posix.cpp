// The instance locks on Linux and other POSIX systems: a lock file in the
// per-user runtime folder, and an flock beside the data folder.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

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

class CFlockInstance : public CInstanceLock {
public:
    explicit CFlockInstance(int fd) : m_Fd(fd) {}
    ~CFlockInstance() override { ::close(m_Fd); }
    CFlockInstance(const CFlockInstance&) = delete;
    CFlockInstance& operator=(const CFlockInstance&) = delete;

private:
    int m_Fd;
};

// Tellvane.lock beside the data folder, created 0600: no other account can
// open it, so none can hold it. One that is not this user's own plain file
// (planted where others may write) is not used.
int OpenLockFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat st = {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())) {
        ::close(fd);
        return -1;
    }
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
        return std::make_unique<CInstanceLock>();
    // Beside the folder, not in it: the folder itself is made on the first save.
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(dataFolder).parent_path(), ignored);
    int fd = OpenLockFile(dataFolder + ".lock");
    if (fd < 0)  // nothing may be created beside it: a read-only set-up, whose folder exists
        fd = ::open(dataFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::make_unique<CInstanceLock>();
    if (!FlockWithin(fd, waitMs)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<CFlockInstance>(fd);
}
