#include <dirent.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "peer.h"
#include "unix_endpoint.h"

namespace {

CPeer PeerCredentials(int fd)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 || credentials.pid == 0)
        return {};
    return {credentials.pid, credentials.uid};
}

// /proc/net/unix marks a listening socket with __SO_ACCEPTCON.
constexpr unsigned long kListeningFlag = 0x10000;

// The inode of the SOCK_SEQPACKET socket listening under the abstract name,
// from /proc/net/unix; 0 when none is listed.
unsigned long ListeningInode(const std::string& name)
{
    // The table shows an abstract name with '@' for its leading zero byte,
    // cut as the address cuts it.
    const std::string path = "@" + name.substr(0, sizeof(sockaddr_un::sun_path) - 1);
    std::ifstream table("/proc/net/unix");
    std::string line;
    std::getline(table, line);  // the column titles
    while (std::getline(table, line)) {
        // Num RefCount Protocol Flags Type St Inode Path
        unsigned long flags = 0, inode = 0;
        unsigned type = 0;
        int pathStart = -1;
        if (std::sscanf(line.c_str(), "%*s %*x %*x %lx %x %*x %lu %n", &flags, &type, &inode, &pathStart) != 3 ||
            pathStart < 0)
            continue;
        if ((flags & kListeningFlag) && type == SOCK_SEQPACKET && line.compare(pathStart, std::string::npos, path) == 0)
            return inode;
    }
    return 0;
}

bool IsNumber(const char* text)
{
    return *text != '\0' && std::strspn(text, "0123456789") == std::strlen(text);
}

// Whether process pid has a descriptor open on the socket link, e.g.
// "socket:[12345]". Processes of other users stay closed to a caller that
// is not root; they simply do not match.
bool HoldsSocket(const std::string& pid, const std::string& link)
{
    const std::string folder = "/proc/" + pid + "/fd";
    DIR* fds = opendir(folder.c_str());
    if (!fds)
        return false;
    bool found = false;
    char target[64];
    while (const dirent* fd = readdir(fds)) {
        if (!IsNumber(fd->d_name))
            continue;
        const ssize_t length = readlink((folder + "/" + fd->d_name).c_str(), target, sizeof target);
        if (length == static_cast<ssize_t>(link.size()) && link.compare(0, link.size(), target, length) == 0) {
            found = true;
            break;
        }
    }
    closedir(fds);
    return found;
}

// The effective user id of process pid, the one its socket's credentials
// carry; -1 when it cannot be read.
int64_t EffectiveUserOf(const std::string& pid)
{
    std::ifstream status("/proc/" + pid + "/status");
    std::string line;
    while (std::getline(status, line)) {
        long long real = -1, effective = -1;
        if (std::sscanf(line.c_str(), "Uid: %lld %lld", &real, &effective) == 2)
            return effective;
    }
    return -1;
}

// The process with a descriptor on the socket listening under name, found
// through /proc without connecting: a holder whose backlog is full, or that
// never accepts, is found all the same. Empty when not found.
CPeer HolderFromProc(const std::string& name, int64_t likelyPid)
{
    const unsigned long inode = ListeningInode(name);
    if (inode == 0)
        return {};
    const std::string link = "socket:[" + std::to_string(inode) + "]";
    const std::string likely = std::to_string(likelyPid);
    if (likelyPid > 0 && HoldsSocket(likely, link))
        return {likelyPid, EffectiveUserOf(likely)};
    DIR* processes = opendir("/proc");
    if (!processes)
        return {};
    CPeer holder;
    while (const dirent* process = readdir(processes)) {
        if (!IsNumber(process->d_name) || !HoldsSocket(process->d_name, link))
            continue;
        holder = {std::atoll(process->d_name), EffectiveUserOf(process->d_name)};
        break;
    }
    closedir(processes);
    return holder;
}

// The holder's credentials from a connection; only when it answers at once.
CPeer HolderByConnecting(const std::string& name)
{
    // Non-blocking: a holder with a full backlog must not keep the caller
    // from its next try (or from stopping).
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return {};
    const CUnixAddress address(name);
    const CPeer holder = connect(fd, address.Get(), address.Length()) == 0 ? PeerCredentials(fd) : CPeer{};
    close(fd);
    return holder;
}

}  // namespace

CPeer PeerOfClient(std::intptr_t connection) { return PeerCredentials(static_cast<int>(connection)); }

CPeer PeerOfServer(std::intptr_t connection) { return PeerCredentials(static_cast<int>(connection)); }

CPeer FindEndpointHolder(const std::string& name, int64_t likelyPid)
{
    const CPeer holder = HolderFromProc(name, likelyPid);
    return holder.m_nPid >= 0 ? holder : HolderByConnecting(name);
}

std::string PeerUserName(const CPeer& peer)
{
    if (peer.m_nUid < 0)
        return {};
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(static_cast<uid_t>(peer.m_nUid), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return entry.pw_name;
    return std::to_string(peer.m_nUid);
}

int64_t CurrentUserId() { return getuid(); }

std::string PeerAccountId(const CPeer& peer) { return peer.m_nUid < 0 ? std::string() : std::to_string(peer.m_nUid); }

void LearnClientAccount(std::intptr_t, CPeer&) {}
