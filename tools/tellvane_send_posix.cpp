#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "tellvane_send_client.h"
#include "unix_endpoint.h"

namespace {

// Replies are two bytes; anything longer is cut, which still tells it apart.
constexpr std::size_t kReplyBuffer = 64;

int Fd(std::intptr_t handle)
{
    return static_cast<int>(handle);
}

}  // namespace

bool CSenderConnection::Connect(const std::string& name)
{
    Close();
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const CUnixAddress address(name);
    if (connect(fd, address.Get(), address.Length()) != 0) {
        close(fd);
        return false;
    }
    m_handle = fd;
    return true;
}

bool CSenderConnection::Send(std::string_view text)
{
    ssize_t sent;
    do {
        sent = send(Fd(m_handle), text.data(), text.size(), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(text.size());
}

bool CSenderConnection::ReceiveReply(std::string& reply)
{
    char buffer[kReplyBuffer];
    ssize_t received;
    do {
        received = recv(Fd(m_handle), buffer, sizeof buffer, 0);
    } while (received < 0 && errno == EINTR);
    // The server never answers with an empty message, so 0 is the end.
    if (received <= 0)
        return false;
    reply.assign(buffer, static_cast<std::size_t>(received));
    return true;
}

void CSenderConnection::Close()
{
    if (m_handle >= 0)
        close(Fd(m_handle));
    m_handle = -1;
}
