#include <windows.h>

#include "file_replace.h"

namespace {

constexpr DWORD kMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

bool WriteAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

ReplaceResult ReplaceFileContents(const std::string& path, std::string_view bytes)
{
    const std::string temp = path + std::string(kTempSuffix);
    // Others may read or replace the file meanwhile, as they always could.
    const HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ReplaceResult::OpenFailed;
    bool written = WriteAll(file, bytes) && FlushFileBuffers(file);
    written = CloseHandle(file) && written;
    if (!written || !MoveFileExA(temp.c_str(), path.c_str(), kMoveFlags)) {
        DeleteFileA(temp.c_str());
        return ReplaceResult::WriteFailed;
    }
    return ReplaceResult::Replaced;
}

bool MoveReplacing(const std::string& from, const std::string& to)
{
    return MoveFileExA(from.c_str(), to.c_str(), kMoveFlags) != 0;
}
