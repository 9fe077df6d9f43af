#include "sqlite_platform.h"

#include <windows.h>

#include "shown_text.h"

// Paths come from the A functions, in the ANSI code page.
std::string SqliteFileName(const std::string& path) { return DecodeLegacyCodePage(path); }
