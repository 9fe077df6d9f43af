#include <windows.h>

#include <cstdio>

#include "parent_console.h"

namespace {

// The streams that were sent to the joined console.
bool g_bJoined = false, g_bOutput = false, g_bError = false;

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
    g_bJoined = true;
    g_bOutput = output;
    g_bError = error;
    // std::cout and std::cerr write through these.
    if (output)
        std::freopen("CONOUT$", "w", stdout);
    if (error)
        std::freopen("CONOUT$", "w", stderr);
}

void LeaveParentConsole()
{
    if (!g_bJoined)
        return;
    g_bJoined = false;
    std::fflush(stdout);
    std::fflush(stderr);
    // Streams that wrote to the console go nowhere again, as they did
    // before it was joined; one sent elsewhere stays there.
    if (g_bOutput)
        std::freopen("NUL", "w", stdout);
    if (g_bError)
        std::freopen("NUL", "w", stderr);
    FreeConsole();
}
