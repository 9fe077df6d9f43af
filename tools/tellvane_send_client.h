// One conversation with a running Tellvane: connect to its event endpoint,
// send event texts one message each, read the replies. One file per
// platform implements it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "peer.h"

class CSenderConnection {
public:
    CSenderConnection() = default;
    CSenderConnection(const CSenderConnection&) = delete;
    CSenderConnection& operator=(const CSenderConnection&) = delete;
    ~CSenderConnection() { Close(); }

    // False when nothing listens under name.
    bool Connect(const std::string& name);

    // Sends text as one message.
    bool Send(std::string_view text);

    // Waits for the next reply; false when the conversation has ended.
    bool ReceiveReply(std::string& reply);

    void Close();

    // The process that answers on the endpoint; pid -1 when not known.
    CPeer Listener() const { return PeerOfServer(m_handle); }

private:
    std::intptr_t m_handle = -1;  // socket or pipe HANDLE
};
