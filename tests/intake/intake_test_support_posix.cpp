#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
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

COneProcessor::COneProcessor()
{
    cpu_set_t saved;
    if (sched_getaffinity(0, sizeof saved, &saved) != 0)
        return;
    cpu_set_t one;
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &saved)) {
            CPU_SET(cpu, &one);
            break;
        }
    }
    if (sched_setaffinity(0, sizeof one, &one) == 0)
        m_saved.assign(reinterpret_cast<unsigned char*>(&saved), reinterpret_cast<unsigned char*>(&saved + 1));
}

COneProcessor::~COneProcessor()
{
    cpu_set_t saved;
    if (m_saved.size() != sizeof saved)
        return;
    std::memcpy(&saved, m_saved.data(), sizeof saved);
    sched_setaffinity(0, sizeof saved, &saved);
}
