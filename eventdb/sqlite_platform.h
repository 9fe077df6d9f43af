// What differs between platforms in talking to SQLite: the encoding of file
// names, and the words for a system error code that SQLite reports. Any
// thread.
#pragma once

#include <string>

// SQLite takes file names in UTF-8; the program's paths are in the
// platform's own 8-bit encoding (on Windows the ANSI code page).
std::string SqliteFileName(const std::string& path);

// The system's text for an error code from sqlite3_system_errno: an errno
// value here, a Windows error code there.
std::string SystemErrorText(int code);
