// Whole-file replacement that never leaves a half-written file in place:
// the bytes go to a temporary file beside the target, reach the disk, and
// only then take the target's name. Files holding events are private to
// their owner, and names already taken are never written through.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

enum class ReplaceResult { Replaced, OpenFailed, WriteFailed };

// Whose file is written, and so who may read it.
enum class FileAccess {
    kPrivate,  // the program's own: the owner alone may read it, whatever the umask (events name people and doors)
    kShared,   // one the user chose: made for the owner alone too, but one it replaces keeps the
               // permissions it had, which the user may have widened
};

// Writes bytes to path + ".tmp", flushes it to the disk and renames it over
// path. The temporary file is always made new, never followed or reused: a
// stale one of the program's own is removed first; beside a file the user
// chose, where that name may be the user's, the next free name (.tmp.1 ...)
// is taken instead. When the folder refuses a new file but path itself can
// be written, path is rewritten in place instead. On failure the temporary
// file is removed and the old file untouched; only a rewrite in place that
// fails after it reserved the room can leave it short.
ReplaceResult ReplaceFileContents(const std::string& path, std::string_view bytes,
                                  FileAccess access = FileAccess::kPrivate);

// The same replacement with the bytes given in parts, for a file too large
// to be built in memory first (an export of the whole archive). The parts
// are gathered into chunks of kChunkBytes on their way to the temporary
// file. The target is untouched until Commit; a replacement abandoned,
// destroyed or failed before it removes its temporary file. Where the
// folder takes no new file and the target is rewritten in place, the parts
// are held until Commit instead, so that the old bytes stay as they were
// until all the new ones are there.
//
// Threads: one thread at a time.
class CFileReplacement {
public:
    static constexpr size_t kChunkBytes = 64 * 1024;

    // Makes the temporary file (or opens the target to be rewritten).
    explicit CFileReplacement(std::string path, FileAccess access = FileAccess::kPrivate);
    ~CFileReplacement();
    CFileReplacement(const CFileReplacement&) = delete;
    CFileReplacement& operator=(const CFileReplacement&) = delete;

    // False once the file could not be made or a write failed; the parts
    // after that are dropped, and Commit says why.
    bool Append(std::string_view bytes);
    // Writes what is gathered, brings it to the disk and gives it the
    // target's name.
    ReplaceResult Commit();
    // Removes the temporary file and leaves the target as it was.
    void Abandon();

    bool Good() const { return m_eResult == ReplaceResult::Replaced; }
    // The temporary file's name; empty when the target is rewritten in place.
    const std::string& TemporaryPath() const { return m_strTemp; }

private:
    bool WriteGathered();
    // The platform's halves, in file_replace_<platform>.cpp.
    ReplaceResult Open();
    bool WriteOut(std::string_view bytes);
    ReplaceResult FinishTemporary();
    ReplaceResult FinishInPlace(std::string_view bytes);
    void Discard();

    static constexpr intptr_t kNoHandle = -1;
    std::string m_strPath;
    FileAccess m_eAccess;
    std::string m_strTemp;
    intptr_t m_nHandle = kNoHandle;  // a descriptor, or a HANDLE
    bool m_bInPlace = false;
    bool m_bFinished = false;
    ReplaceResult m_eResult = ReplaceResult::Replaced;
    std::string m_Gathered;
};

// Moves from to `to`, or to `to`.1, `to`.2 ... whichever is free first; an
// existing file is never replaced. The name taken, or empty on failure.
std::string MoveToFreeName(const std::string& from, const std::string& to);

// Writes bytes to a new private file named path, or path.1, path.2 ...
// whichever is free first. The name written, or empty on failure.
std::string WriteToFreeName(const std::string& path, std::string_view bytes);

// Creates the folder and its missing parents; the ones it creates are
// private. True when path is a folder afterwards.
bool MakePrivateFolder(const std::string& path);

inline constexpr std::string_view kTempSuffix = ".tmp";

// What a platform does to take one name that may already exist.
enum class NameAttempt { kTaken, kExists, kFailed };
NameAttempt MoveIfFree(const std::string& from, const std::string& to);
NameAttempt WriteIfFree(const std::string& path, std::string_view bytes);

// The first of base, base.1, base.2 ... that attempt takes; empty when an
// attempt fails.
std::string FirstFreeName(const std::string& base, const std::function<NameAttempt(const std::string&)>& attempt);
