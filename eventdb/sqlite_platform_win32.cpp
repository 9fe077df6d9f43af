#include "sqlite_platform.h"

#include <windows.h>

#include "shown_text.h"

// Paths come from the A functions, in the ANSI code page.
std::string SqliteFileName(const std::string& path) { return DecodeLegacyCodePage(path); }

std::string SystemErrorText(int code)
{
    char text[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                   static_cast<DWORD>(code), 0, text, sizeof text, nullptr);
    std::string out(text, n);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == '.'))
        out.pop_back();
    return out;
}
