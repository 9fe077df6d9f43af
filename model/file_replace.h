// Whole-file replacement that never leaves a half-written file in place:
// the bytes go to a temporary file beside the target, reach the disk, and
// only then take the target's name. Files holding events are private to
// their owner, and names already taken are never written through.
#pragma once

#include <string>
#include <string_view>

enum class ReplaceResult { Replaced, OpenFailed, WriteFailed };

// Who may read a file that is written here.
enum class FileAccess {
    kPrivate,  // the owner alone, whatever the umask: events name people and doors
    kShared,   // as the umask allows, like any file the user saves
};

// Writes bytes to path + ".tmp", flushes it to the disk and renames it over
// path. The temporary file is always made new: a stale one is removed, never
// followed or reused. When the folder refuses a new file but path itself can
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
