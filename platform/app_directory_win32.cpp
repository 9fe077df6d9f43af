#include <windows.h>
#include <mbstring.h>

#include <cstdlib>

#include "app_directory.h"
#include "app_directory_win32.h"

const char kPathSeparator = '\\';

std::string ModuleDirectory(const char* modulePath)
{
    // The CRT's own search knows the double-byte lead bytes of the code page
    // in force; CutAtLastBackslash states the same rule portably.
    const auto* bytes = reinterpret_cast<const unsigned char*>(modulePath);
    const unsigned char* cut = _mbsrchr(bytes, '\\');
    if (!cut)
        return {};
    return std::string(modulePath, static_cast<size_t>(cut - bytes));
}

std::string GetAppDirectory()
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    // A cut-off path would name some other folder: better no file at all.
    if (n == 0 || n >= sizeof path)
        return {};
    path[n] = '\0';
    return ModuleDirectory(path);
}

std::string GetRescueDirectory()
{
    // Beside the executable saving failed; the user's own folder is writable.
    const char* local = std::getenv("LOCALAPPDATA");
    return local && *local ? std::string(local) + "\\Tellvane" : std::string();
}
