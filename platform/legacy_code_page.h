// The 8-bit code page the lock software writes its texts in, to UTF-8:
// Windows-1252 here, the system's ANSI code page on Windows.
#pragma once

#include <string>
#include <string_view>

// Bytes the code page leaves undefined keep their value as a code point, as
// the system's own conversion does, so nothing is dropped.
std::string DecodeLegacyCodePage(std::string_view bytes);
