#include <cerrno>
#include <cstdio>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_replace.h"

namespace {

constexpr mode_t kPrivateFile = 0600;
constexpr mode_t kPrivateFolder = 0700;

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Writes, reaches the disk and closes; the descriptor is gone either way.
bool WriteSyncClose(int fd, std::string_view bytes)
{
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    return ::close(fd) == 0 && written;
}

// A rename is durable only once the folder that holds the name is synced.
bool SyncFolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// A name nobody had: a link or FIFO planted under it makes this fail
// rather than be followed or waited on.
int CreateNew(const std::string& path, FileAccess access)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kPrivateFile);
    if (fd >= 0 && access == FileAccess::kPrivate)
        ::fchmod(fd, kPrivateFile);  // a umask such as 0277 would have taken the owner's write
    return fd;
}

// The temporary file beside path, under a name nobody had (see the header).
int CreateTemporary(const std::string& path, FileAccess access, std::string* temp)
{
    *temp = path + std::string(kTempSuffix);
    if (access == FileAccess::kPrivate) {
        ::unlink(temp->c_str());  // left by a save that was killed, or planted
        return CreateNew(*temp, access);
    }
    int fd = -1;
    int error = 0;
    *temp = FirstFreeName(*temp, [&](const std::string& name) {
        fd = CreateNew(name, access);
        error = errno;
        return fd >= 0 ? NameAttempt::kTaken : error == EEXIST ? NameAttempt::kExists : NameAttempt::kFailed;
    });
    errno = error;
    return fd;
}

// The permissions of the file the new one is to replace, given to the new one.
void KeepPermissionsOf(const std::string& path, int fd)
{
    struct stat st = {};
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd, st.st_mode & 0777);
}

bool FolderRefusesNewFiles(int error) { return error == EACCES || error == EPERM || error == EROFS; }

bool IsRoomError(int error) { return error == ENOSPC || error == EDQUOT || error == EFBIG; }

// For a folder that takes no new file (read-only for this user) but holds a
// writable target: the target itself is rewritten.
int OpenInPlace(const std::string& path, FileAccess access)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    if (access == FileAccess::kPrivate)
        ::fchmod(fd, kPrivateFile);  // fails on a file another account owns; it keeps the mode that account gave it
    return fd;
}

}  // namespace

ReplaceResult CFileReplacement::Open()
{
    const int fd = CreateTemporary(m_strPath, m_eAccess, &m_strTemp);
    if (fd >= 0) {
        if (m_eAccess == FileAccess::kShared)
            KeepPermissionsOf(m_strPath, fd);
        m_nHandle = fd;
        return ReplaceResult::Replaced;
    }
    const int error = errno;
    m_strTemp.clear();
    if (!FolderRefusesNewFiles(error))
        return ReplaceResult::OpenFailed;
    const int target = OpenInPlace(m_strPath, m_eAccess);
    if (target < 0)
        return ReplaceResult::OpenFailed;
    m_nHandle = target;
    m_bInPlace = true;
    return ReplaceResult::Replaced;
}

bool CFileReplacement::WriteOut(std::string_view bytes) { return WriteAll(static_cast<int>(m_nHandle), bytes); }

ReplaceResult CFileReplacement::FinishTemporary()
{
    const int fd = static_cast<int>(std::exchange(m_nHandle, kNoHandle));
    if (!WriteSyncClose(fd, {}) || ::rename(m_strTemp.c_str(), m_strPath.c_str()) != 0) {
        Discard();
        return ReplaceResult::WriteFailed;
    }
    m_strTemp.clear();
    return SyncFolderOf(m_strPath) ? ReplaceResult::Replaced : ReplaceResult::WriteFailed;
}

// The room is reserved first, so that a full disk fails before the old
// bytes are touched.
ReplaceResult CFileReplacement::FinishInPlace(std::string_view bytes)
{
    const int fd = static_cast<int>(std::exchange(m_nHandle, kNoHandle));
    const off_t size = static_cast<off_t>(bytes.size());
    if (IsRoomError(::posix_fallocate(fd, 0, size)) || ::ftruncate(fd, size) != 0) {
        ::close(fd);
        return ReplaceResult::WriteFailed;
    }
    return WriteSyncClose(fd, bytes) ? ReplaceResult::Replaced : ReplaceResult::WriteFailed;
}

void CFileReplacement::Discard()
{
    if (m_nHandle != kNoHandle)
        ::close(static_cast<int>(std::exchange(m_nHandle, kNoHandle)));
    if (!m_strTemp.empty())
        ::unlink(std::exchange(m_strTemp, {}).c_str());
}

NameAttempt MoveIfFree(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
        const int error = errno;
        if (error == EEXIST)
            return NameAttempt::kExists;
        if (error != EINVAL)
            return NameAttempt::kFailed;
        // A file system that cannot refuse to replace: look first, then move.
        struct stat st = {};
        if (::lstat(to.c_str(), &st) == 0)
            return NameAttempt::kExists;
        if (::rename(from.c_str(), to.c_str()) != 0)
            return NameAttempt::kFailed;
    }
    return SyncFolderOf(to) ? NameAttempt::kTaken : NameAttempt::kFailed;
}

NameAttempt WriteIfFree(const std::string& path, std::string_view bytes)
{
    const int fd = CreateNew(path, FileAccess::kPrivate);
    if (fd < 0)
        return errno == EEXIST ? NameAttempt::kExists : NameAttempt::kFailed;
    if (!WriteSyncClose(fd, bytes) || !SyncFolderOf(path)) {
        ::unlink(path.c_str());
        return NameAttempt::kFailed;
    }
    return NameAttempt::kTaken;
}

bool MakePrivateFolder(const std::string& path)
{
    for (size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (!folder.empty() && ::mkdir(folder.c_str(), kPrivateFolder) == 0)
            ::chmod(folder.c_str(), kPrivateFolder);  // past the umask
        if (slash == std::string::npos)
            break;
    }
    struct stat st = {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
