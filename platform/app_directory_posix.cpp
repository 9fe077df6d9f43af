#include <cstdlib>

#include "app_directory.h"

const char kPathSeparator = '/';

namespace {

// $variable/Tellvane, or $HOME/fallback/Tellvane. Only an absolute
// variable counts; a relative one is to be ignored.
std::string XdgFolder(const char* variable, const char* fallback)
{
    const char* xdg = std::getenv(variable);
    if (xdg && *xdg == '/')
        return std::string(xdg) + "/Tellvane";
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return {};
    return std::string(home) + fallback + "/Tellvane";
}

}  // namespace

std::string GetAppDirectory() { return XdgFolder("XDG_DATA_HOME", "/.local/share"); }

std::string GetRescueDirectory() { return XdgFolder("XDG_STATE_HOME", "/.local/state"); }
