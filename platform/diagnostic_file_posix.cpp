#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "diagnostic_file.h"
#include "runtime_dir.h"

namespace {

// Held open (and locked) from start-up until the process ends.
int s_DiagnosticFd = -1;

// Emptying follows no link and waits on no FIFO: whatever else stands under
// the name is left alone.
int OpenOwnFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat st = {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

void OpenDiagnosticFile()
{
    if (s_DiagnosticFd >= 0)
        return;
    const std::string folder = RuntimeDirectory();
    if (folder.empty())
        return;
    const int fd = OpenOwnFile(folder + "/tvaneDebug.txt");
    if (fd < 0)
        return;
    // Take the lock before emptying the file, so that a second instance
    // never empties the file the first one holds.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::ftruncate(fd, 0) != 0) {
        ::close(fd);
        return;
    }
    ::fchmod(fd, 0600);  // one left by an older version may be readable by all
    s_DiagnosticFd = fd;
}
