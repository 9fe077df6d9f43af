#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "diagnostic_file.h"
#include "runtime_dir.h"

namespace {

// Held open (and locked) from start-up until the process ends.
int g_DiagnosticFd = -1;

}  // namespace

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
