// Texts between the program's bytes and Windows' UTF-16, in a code page the
// caller names. Inline, so every library of the platform layer can use them
// without linking another.
#pragma once

#include <windows.h>

#include <climits>
#include <string>
#include <string_view>

// The bytes read in codePage; empty when they are not text in it (flags
// MB_ERR_INVALID_CHARS) or too long for the system's calls.
inline std::wstring WideText(std::string_view bytes, UINT codePage, DWORD flags = 0)
{
    if (bytes.empty() || bytes.size() > INT_MAX / 2)
        return {};
    const int n = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(codePage, flags, bytes.data(), n, nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), n, wide.data(), length);
    return wide;
}

inline std::string NarrowText(std::wstring_view wide, UINT codePage)
{
    if (wide.empty() || wide.size() > INT_MAX / 4)
        return {};
    const int n = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(codePage, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return {};
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, wide.data(), n, out.data(), length, nullptr, nullptr);
    return out;
}
