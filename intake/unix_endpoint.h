// The address of an endpoint name in the abstract socket namespace, shared
// by the server and the senders.
#pragma once

#include <sys/socket.h>
#include <sys/un.h>

#include <algorithm>
#include <cstddef>
#include <string>

class CUnixAddress {
public:
    explicit CUnixAddress(const std::string& name)
    {
        m_address.sun_family = AF_UNIX;
        // A leading zero byte puts the name in the abstract namespace: no
        // file, nothing left behind.
        const std::size_t room = sizeof m_address.sun_path - 1;
        m_nLength = std::min(name.size(), room);
        std::copy_n(name.data(), m_nLength, m_address.sun_path + 1);
    }

    const sockaddr* Get() const { return reinterpret_cast<const sockaddr*>(&m_address); }
    socklen_t Length() const { return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + m_nLength); }

private:
    sockaddr_un m_address{};
    std::size_t m_nLength = 0;
};
