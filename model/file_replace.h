// Whole-file replacement that never leaves a half-written file in place:
// the bytes go to a temporary file beside the target, reach the disk, and
// only then take the target's name.
#pragma once

#include <string>
#include <string_view>

enum class ReplaceResult { Replaced, OpenFailed, WriteFailed };

// Writes bytes to path + ".tmp", flushes it to the disk and renames it over
// path. On failure the old file is untouched and the temporary one removed.
ReplaceResult ReplaceFileContents(const std::string& path, std::string_view bytes);

// Renames from to to, replacing an existing to. Returns whether it worked.
bool MoveReplacing(const std::string& from, const std::string& to);

inline constexpr std::string_view kTempSuffix = ".tmp";
