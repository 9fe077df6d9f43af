// The environment of a Tellvane that shares nothing with the user's: its
// settings, data, state, cache and runtime folders all below one root, no
// screen, UTC. Tests and benchmarks that start the real program use it; a
// private endpoint name goes with it (TELLVANE_ENDPOINT). The shell scripts'
// twin is scripts/private-home.bash.
#pragma once

#include <string>
#include <utility>
#include <vector>

// The variables to set, in order. root is the runtime folder too, so it
// must be private (0700), as mkdtemp and QTemporaryDir make it.
inline std::vector<std::pair<std::string, std::string>> PrivateHomeVariables(const std::string& root)
{
    return {
        {"HOME", root},
        {"XDG_CONFIG_HOME", root + "/config"},
        {"XDG_DATA_HOME", root + "/data"},
        {"XDG_STATE_HOME", root + "/state"},
        {"XDG_CACHE_HOME", root + "/cache"},
        {"XDG_RUNTIME_DIR", root},
        {"QT_QPA_PLATFORM", "offscreen"},
        {"TZ", "UTC"},
    };
}

