#include <windows.h>

#include <cstdio>

#include "parent_console.h"

namespace {

bool GoesNowhere(DWORD stream)
{
    const HANDLE handle = GetStdHandle(stream);
    return !handle || handle == INVALID_HANDLE_VALUE || GetFileType(handle) == FILE_TYPE_UNKNOWN;
}

}  // namespace

void UseParentConsole()
{
    const bool output = GoesNowhere(STD_OUTPUT_HANDLE);
    const bool error = GoesNowhere(STD_ERROR_HANDLE);
    if ((!output && !error) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    // std::cout and std::cerr write through these.
    if (output)
        std::freopen("CONOUT$", "w", stdout);
    if (error)
        std::freopen("CONOUT$", "w", stderr);
}
