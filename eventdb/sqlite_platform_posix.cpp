#include "sqlite_platform.h"

// File names are bytes here; SQLite passes them on unchanged.
std::string SqliteFileName(const std::string& path) { return path; }
