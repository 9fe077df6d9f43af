// The settings primitives: open a key path below a root and read or write one
// named value there. On Windows they are the registry; elsewhere the root is a
// folder, the key path names a settings file in it and a group in that file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

struct RegKey;  // an open key; platform-defined
struct RegKeyCloser {
    void operator()(RegKey* key) const;
};
using RegKeyHandle = std::unique_ptr<RegKey, RegKeyCloser>;

#ifdef _WIN32
struct HKEY__;
using RegRoot = HKEY__*;  // HKEY
#else
using RegRoot = std::string;  // the folder that holds the settings files
#endif

// The user's root: HKEY_CURRENT_USER, or $XDG_CONFIG_HOME (~/.config).
RegRoot UserSettingsRoot();

// Opens path below root. The first component of the path is never created;
// each further one is created when missing. Returns null on failure.
RegKeyHandle RegOpenPath(const RegRoot& root, const std::string& path);

int32_t RegReadDword(const RegRoot& root, const std::string& path, const std::string& name, int32_t def);
std::string RegReadString(const RegRoot& root, const std::string& path, const std::string& name,
                          const std::string& def);
// A text that may have been written by hand as a list: a settings file's
// comma-separated values, or a REG_MULTI_SZ, read as its items joined by
// commas. def when the value is missing; nothing when it is there but of
// another kind (a number, binary data), which a caller must not take for
// missing.
std::optional<std::string> RegReadList(const RegRoot& root, const std::string& path, const std::string& name,
                                       const std::string& def);
bool RegWriteDword(const RegRoot& root, const std::string& path, const std::string& name, int32_t value);
bool RegWriteString(const RegRoot& root, const std::string& path, const std::string& name, const std::string& text);

// Texts of 4096 bytes or more (with their terminating zero) read as the default.
inline constexpr size_t kRegStringBuffer = 4096;
