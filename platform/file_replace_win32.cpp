#include <windows.h>

#include <filesystem>
#include <utility>

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

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

// Who may read is left to the folder's permissions: the data file lives
// beside the executable, where the installation decided it.
ReplaceResult CFileReplacement::Open()
{
    HANDLE file = CreateTemporary(m_strPath, m_eAccess, &m_strTemp);
    if (file != INVALID_HANDLE_VALUE) {
        m_nHandle = reinterpret_cast<intptr_t>(file);
        return ReplaceResult::Replaced;
    }
    const DWORD error = GetLastError();
    m_strTemp.clear();
    if (error != ERROR_ACCESS_DENIED)
        return ReplaceResult::OpenFailed;
    // A folder that takes no new file but holds a writable target.
    file = CreateFileA(m_strPath.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ReplaceResult::OpenFailed;
    m_nHandle = reinterpret_cast<intptr_t>(file);
    m_bInPlace = true;
    return ReplaceResult::Replaced;
}

bool CFileReplacement::WriteOut(std::string_view bytes) { return WriteAll(AsHandle(m_nHandle), bytes); }

ReplaceResult CFileReplacement::FinishTemporary()
{
    if (!WriteFlushClose(AsHandle(std::exchange(m_nHandle, kNoHandle)), {}) ||
        !MoveFileExA(m_strTemp.c_str(), m_strPath.c_str(), kMoveFlags)) {
        Discard();
        return ReplaceResult::WriteFailed;
    }
    m_strTemp.clear();
    return ReplaceResult::Replaced;
}

// The room is reserved first, the file grown to its new size, so that a
// full disk fails before the old bytes are touched.
ReplaceResult CFileReplacement::FinishInPlace(std::string_view bytes)
{
    const HANDLE file = AsHandle(std::exchange(m_nHandle, kNoHandle));
    LARGE_INTEGER current{}, size{}, start{};
    size.QuadPart = static_cast<LONGLONG>(bytes.size());
    const bool reserved = GetFileSizeEx(file, &current) &&
                          (size.QuadPart <= current.QuadPart ||
                           (SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file))) &&
                          SetFilePointerEx(file, start, nullptr, FILE_BEGIN);
    if (!reserved) {
        CloseHandle(file);
        return ReplaceResult::WriteFailed;
    }
    return WriteFlushClose(file, bytes) ? ReplaceResult::Replaced : ReplaceResult::WriteFailed;
}

void CFileReplacement::Discard()
{
    if (m_nHandle != kNoHandle)
        CloseHandle(AsHandle(std::exchange(m_nHandle, kNoHandle)));
    if (!m_strTemp.empty())
        DeleteFileA(std::exchange(m_strTemp, {}).c_str());
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
