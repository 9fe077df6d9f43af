// Whole-file replacement that never leaves a half-written file in place:
// the bytes go to a temporary file beside the target, reach the disk, and
// only then take the target's name. Files holding events are private to
// their owner, and names already taken are never written through.
#pragma once

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
