// Whether the listener receives events, and if not, why: another process
// holds the endpoint's name, or the process may open no more files, so a
// sender cannot be let in. A plain value the listener hands to whoever shows
// or logs it.
#pragma once

#include <cstddef>
#include <string>

#include "peer.h"

struct CEndpointState {
    bool m_bReceiving = false;
    // Who keeps the events out: the process that holds the name (pid -1
    // when it could not be identified), or, when out of files, the user
    // with the most open connections (uid only).
    CPeer m_Holder;
    std::string m_strHolderUser;
    // The name is ours, but the open-file limit is met: m_Holder's user
    // holds m_nHeldConnections of the open connections.
    bool m_bOutOfFiles = false;
    std::size_t m_nHeldConnections = 0;
};
