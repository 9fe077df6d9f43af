// Whether the listener has the endpoint's name, and who holds it if not.
// A plain value the listener hands to whoever shows or logs it.
#pragma once

#include <string>

#include "peer.h"

struct CEndpointState {
    bool m_bReceiving = false;
    CPeer m_Holder;  // pid -1 when the holder did not answer
    std::string m_strHolderUser;
};
