// The system's ANSI code page, the one the lock software writes in on the
// same machine.
#include <windows.h>

#include <climits>
#include <string>

#include "legacy_code_page.h"

namespace {

std::wstring Wide(std::string_view bytes)
{
    const int n = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), n, wide.data(), length);
    return wide;
}

}  // namespace

std::string DecodeLegacyCodePage(std::string_view bytes)
{
    // Event texts are at most a few kilobytes; anything that does not fit
    // an int is not one.
    if (bytes.empty() || bytes.size() > INT_MAX / 2)
        return {};
    const std::wstring wide = Wide(bytes);
    const int n = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, out.data(), length, nullptr, nullptr);
    return out;
}
