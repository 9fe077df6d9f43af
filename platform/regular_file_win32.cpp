#include <windows.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

#include "regular_file.h"

ReadResult ReadRegularFile(const std::string& path, std::string* bytes)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::kMissing
                                                                               : ReadResult::kFailed;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return ReadResult::kFailed;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file)
        return ReadResult::kFailed;
    try {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
            bytes->append(buffer, n);
    } catch (const std::exception&) {
        return ReadResult::kFailed;  // too large to hold: as unreadable as a bad disk
    }
    return std::ferror(file.get()) ? ReadResult::kFailed : ReadResult::kRead;
}
