// The name of the event endpoint, shared by the server and the senders.
#pragma once

#include <cstdlib>
#include <string>
#include <string_view>

inline constexpr std::string_view kEndpointName = "zqevent";

// TELLVANE_ENDPOINT names another endpoint, so that tests, or a second agent
// tried side by side, never take the one the lock software writes to.
inline std::string EndpointName()
{
    const char* name = std::getenv("TELLVANE_ENDPOINT");
    return name && *name ? std::string(name) : std::string(kEndpointName);
}
