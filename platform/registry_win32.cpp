// The settings primitives over the Windows registry. Every access opens the
// whole key path afresh and closes it again; no handle is kept.

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "registry.h"

struct RegKey {
    HKEY m_hKey;
};

void RegKeyCloser::operator()(RegKey* key) const
{
    RegCloseKey(key->m_hKey);
    delete key;
}

RegRoot UserSettingsRoot() { return HKEY_CURRENT_USER; }

namespace {

// KEY_READ | KEY_WRITE: every key of the path is opened for both.
constexpr REGSAM kKeyAccess = 0x2001F;

using PathBuffer = std::array<char, kRegStringBuffer>;

// Opens the path, which the descent cuts in place at each backslash and mends
// on the way back. The first component must exist already: a typing error in
// it must not plant a new tree beside Software.
HKEY OpenPathInPlace(HKEY root, char* path)
{
    char* slash = std::strrchr(path, '\\');
    if (!slash) {
        HKEY key = nullptr;
        return RegOpenKeyExA(root, path, 0, kKeyAccess, &key) == ERROR_SUCCESS ? key : nullptr;
    }
    *slash = '\0';
    HKEY parent = OpenPathInPlace(root, path);
    HKEY key = nullptr;
    if (parent) {
        if (RegCreateKeyExA(parent, slash + 1, 0, nullptr, REG_OPTION_NON_VOLATILE, kKeyAccess, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            key = nullptr;
        RegCloseKey(parent);
    }
    *slash = '\\';
    return key;
}

// The path copied into a buffer of the registry's own size; a path that does
// not fit is refused rather than cut short, which would name another key.
bool CopyPath(const std::string& path, PathBuffer& buffer)
{
    if (path.size() >= buffer.size() || path.find('\0') != std::string::npos)
        return false;
    std::memcpy(buffer.data(), path.c_str(), path.size() + 1);
    return true;
}

// The default as the value buffer would hold it: at most 4095 bytes, up to its
// first zero byte.
std::string DefaultText(const std::string& def)
{
    return std::string(def.c_str(), strnlen(def.c_str(), kRegStringBuffer - 1));
}

}  // namespace

RegKeyHandle RegOpenPath(const RegRoot& root, const std::string& path)
{
    PathBuffer buffer;
    if (!CopyPath(path, buffer))
        return nullptr;
    HKEY key = OpenPathInPlace(root, buffer.data());
    return key ? RegKeyHandle(new RegKey{key}) : nullptr;
}

int32_t RegReadDword(const RegRoot& root, const std::string& path, const std::string& name, int32_t def)
{
    RegKeyHandle key = RegOpenPath(root, path);
    if (!key)
        return def;
    // Shorter data overwrite only their own bytes of the default.
    int32_t value = def;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key->m_hKey, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS)
        return def;  // missing, or longer than four bytes (the buffer is then undefined)
    return value;
}

std::string RegReadString(const RegRoot& root, const std::string& path, const std::string& name,
                          const std::string& def)
{
    RegKeyHandle key = RegOpenPath(root, path);
    if (!key)
        return def;
    PathBuffer data;
    DWORD size = data.size();
    if (RegQueryValueExA(key->m_hKey, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size) !=
        ERROR_SUCCESS)
        return DefaultText(def);
    // Stored data need not end with a zero byte; never look past what was read.
    const size_t length = strnlen(data.data(), size);
    if (length >= data.size())
        return DefaultText(def);  // the text and its zero byte do not fit
    return std::string(data.data(), length);
}

std::optional<std::string> RegReadList(const RegRoot& root, const std::string& path, const std::string& name,
                                       const std::string& def)
{
    // Opened for reading alone: a key made read-only to enforce the list is
    // read all the same. Only a key or value that is not there is missing;
    // one that cannot be read may hold the list, and must not be taken for
    // the default.
    PathBuffer buffer;
    HKEY raw = nullptr;
    if (!CopyPath(path, buffer))
        return std::nullopt;
    const LONG opened = RegOpenKeyExA(root, buffer.data(), 0, KEY_QUERY_VALUE, &raw);
    if (opened == ERROR_FILE_NOT_FOUND)
        return def;
    if (opened != ERROR_SUCCESS)
        return std::nullopt;
    const RegKeyHandle key(new RegKey{raw});
    DWORD type = 0, size = 0;
    const LONG queried = RegQueryValueExA(key->m_hKey, name.c_str(), nullptr, &type, nullptr, &size);
    if (queried == ERROR_FILE_NOT_FOUND)
        return def;
    if (queried != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ)
        return std::nullopt;
    std::string data(size, '\0');
    if (RegQueryValueExA(key->m_hKey, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size)
        != ERROR_SUCCESS)
        return std::nullopt;  // changed under our hands: not what was asked about
    data.resize(size);
    // A REG_MULTI_SZ holds its items each ended by a zero byte, and one more
    // zero byte at the end.
    while (!data.empty() && data.back() == '\0')
        data.pop_back();
    if (type != REG_MULTI_SZ)
        return data.substr(0, strnlen(data.c_str(), data.size()));
    // One item per line: each is one word, spaces and all ("CORP\John
    // Smith"), as a plain text needs quotes for. No account name holds a
    // double quote. Empty lines say nothing.
    std::string list;
    for (size_t start = 0; start < data.size();) {
        const size_t end = std::min(data.find('\0', start), data.size());
        if (end > start)
            list += (list.empty() ? "\"" : ",\"") + data.substr(start, end - start) + "\"";
        start = end + 1;
    }
    return list;
}

bool RegWriteDword(const RegRoot& root, const std::string& path, const std::string& name, int32_t value)
{
    RegKeyHandle key = RegOpenPath(root, path);
    if (!key)
        return false;
    return RegSetValueExA(key->m_hKey, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

bool RegWriteString(const RegRoot& root, const std::string& path, const std::string& name, const std::string& text)
{
    RegKeyHandle key = RegOpenPath(root, path);
    if (!key)
        return false;
    return RegSetValueExA(key->m_hKey, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          DWORD(text.size() + 1)) == ERROR_SUCCESS;
}
