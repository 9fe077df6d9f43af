#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

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

}  // namespace

CPeer PeerOfClient(std::intptr_t connection) { return PeerCredentials(static_cast<int>(connection)); }

CPeer PeerOfServer(std::intptr_t connection) { return PeerCredentials(static_cast<int>(connection)); }

CPeer FindEndpointHolder(const std::string& name)
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
