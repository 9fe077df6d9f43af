// The system's ANSI code page, the one the lock software writes in on the
// same machine.
#include "legacy_code_page.h"
#include "wide_text_win32.h"

std::string DecodeLegacyCodePage(std::string_view bytes)
{
    // Event texts are at most a few kilobytes; anything longer than the
    // system's calls take reads as nothing.
    return NarrowText(WideText(bytes, CP_ACP), CP_UTF8);
}
