#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>

#include "intake_test_support.h"
#include "unix_endpoint.h"

int ProcessThreadCount()
{
    std::error_code error;
    std::filesystem::directory_iterator tasks("/proc/self/task", error);
    if (error)
        return -1;
    return static_cast<int>(std::distance(tasks, std::filesystem::directory_iterator()));
}

unsigned long CurrentProcessId() { return static_cast<unsigned long>(getpid()); }

bool PeerProcessesKnown() { return true; }

CSquatter::CSquatter(const std::string& name)
{
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    const CUnixAddress address(name);
    if (fd >= 0 && bind(fd, address.Get(), address.Length()) == 0 && listen(fd, 4) == 0)
        m_handle = fd;
    else if (fd >= 0)
        close(fd);
}

void CSquatter::Leave()
{
    if (m_handle != -1)
        close(static_cast<int>(m_handle));
    m_handle = -1;
}
