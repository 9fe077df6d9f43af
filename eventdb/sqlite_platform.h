// What differs between platforms in talking to SQLite: the encoding of file
// names. Any thread.
#pragma once

#include <string>

// SQLite takes file names in UTF-8; the program's paths are in the
// platform's own 8-bit encoding (on Windows the ANSI code page).
std::string SqliteFileName(const std::string& path);
