#include <windows.h>

#include "runtime_dir.h"

std::string RuntimeDirectory()
{
    char path[MAX_PATH + 1];
    DWORD length = GetTempPathA(sizeof path, path);
    if (length == 0 || length >= sizeof path)
        return {};
    if (length > 1 && path[length - 1] == '\\' && path[length - 2] != ':')
        --length;  // like the other folders the program names, but "C:\" stays the root
    return std::string(path, length);
}
