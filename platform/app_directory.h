// Where the event data file lives: beside the executable on Windows, in the
// per-user data folder ($XDG_DATA_HOME/Tellvane) elsewhere.
#pragma once

#include <string>
#include <string_view>

// The folder for the data file, without a trailing separator; empty when it
// cannot be told (nothing is then read or written).
std::string GetAppDirectory();

// The folder for rescue copies of the store, written when the data file
// could not be saved at exit: $XDG_STATE_HOME/Tellvane (~/.local/state) on
// POSIX systems, %LOCALAPPDATA%\Tellvane on Windows. Empty when unknown.
std::string GetRescueDirectory();

// The separator between a folder and a file name on this platform.
extern const char kPathSeparator;

enum class CodePage { SingleByte, DoubleByte };

// The directory part of a Windows path: everything before its last
// backslash, or empty when there is none. In a double-byte code page the
// bytes 0x81-0xFE lead a two-byte character whose second byte may look like
// a backslash but is not one.
std::string CutAtLastBackslash(std::string_view path, CodePage codePage);
