#include <windows.h>

#include <filesystem>

#include "file_replace.h"

namespace {

constexpr DWORD kMoveFlags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
// Others may read or replace the file meanwhile, as they always could.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

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

// Writes, reaches the disk and closes; the handle is gone either way.
bool WriteFlushClose(HANDLE file, std::string_view bytes)
{
    const bool written = WriteAll(file, bytes) && SetEndOfFile(file) && FlushFileBuffers(file);
    return CloseHandle(file) && written;
}

// A name nobody had: whatever is planted under it makes this fail.
HANDLE CreateNew(const std::string& path)
{
    return CreateFileA(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The temporary file beside path, under a name nobody had (see the header).
HANDLE CreateTemporary(const std::string& path, FileAccess access, std::string* temp)
{
    *temp = path + std::string(kTempSuffix);
    if (access == FileAccess::kPrivate) {
        DeleteFileA(temp->c_str());  // left by a save that was killed
        return CreateNew(*temp);
    }
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD error = 0;
    *temp = FirstFreeName(*temp, [&](const std::string& name) {
        file = CreateNew(name);
        error = GetLastError();
        return file != INVALID_HANDLE_VALUE ? NameAttempt::kTaken
               : error == ERROR_FILE_EXISTS  ? NameAttempt::kExists
                                             : NameAttempt::kFailed;
    });
    SetLastError(error);
    return file;
}

// A folder that takes no new file but holds a writable target.
ReplaceResult RewriteInPlace(const std::string& path, std::string_view bytes)
{
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ReplaceResult::OpenFailed;
    return WriteFlushClose(file, bytes) ? ReplaceResult::Replaced : ReplaceResult::WriteFailed;
}

}  // namespace

// Who may read is left to the folder's permissions: the data file lives
// beside the executable, where the installation decided it.
ReplaceResult ReplaceFileContents(const std::string& path, std::string_view bytes, FileAccess access)
{
    std::string temp;
    const HANDLE file = CreateTemporary(path, access, &temp);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_ACCESS_DENIED ? RewriteInPlace(path, bytes) : ReplaceResult::OpenFailed;
    if (!WriteFlushClose(file, bytes) || !MoveFileExA(temp.c_str(), path.c_str(), kMoveFlags)) {
        DeleteFileA(temp.c_str());
        return ReplaceResult::WriteFailed;
    }
    return ReplaceResult::Replaced;
}

NameAttempt MoveIfFree(const std::string& from, const std::string& to)
{
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
        return NameAttempt::kTaken;
    const DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? NameAttempt::kExists : NameAttempt::kFailed;
}

NameAttempt WriteIfFree(const std::string& path, std::string_view bytes)
{
    const HANDLE file = CreateNew(path);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_EXISTS ? NameAttempt::kExists : NameAttempt::kFailed;
    if (!WriteFlushClose(file, bytes)) {
        DeleteFileA(path.c_str());
        return NameAttempt::kFailed;
    }
    return NameAttempt::kTaken;
}

bool MakePrivateFolder(const std::string& path)
{
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}
