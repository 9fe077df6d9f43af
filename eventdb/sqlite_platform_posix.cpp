#include "sqlite_platform.h"

#include <system_error>

// File names are bytes here; SQLite passes them on unchanged.
std::string SqliteFileName(const std::string& path) { return path; }

std::string SystemErrorText(int code) { return std::generic_category().message(code); }
