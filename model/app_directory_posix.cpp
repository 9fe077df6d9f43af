#include <cstdlib>

#include "app_directory.h"

const char kPathSeparator = '/';

std::string GetAppDirectory()
{
    // Only an absolute $XDG_DATA_HOME counts; a relative one is to be ignored.
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg == '/')
        return std::string(xdg) + "/Tellvane";
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return {};
    return std::string(home) + "/.local/share/Tellvane";
}
