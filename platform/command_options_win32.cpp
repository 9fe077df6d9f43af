// Registering the program as the source "Tellvane" of the Application event
// log. Registered, Event Viewer shows each entry's text from tellvane.exe's
// message table; unregistered, it puts "The description for Event ID ...
// cannot be found" above that text. The key is the machine's, below
// HKEY_LOCAL_MACHINE, so both need an administrator.
#include <windows.h>

#include <string>

#include "command_options.h"
#include "system_error.h"
#include "wide_text_win32.h"

namespace {

constexpr wchar_t kSourceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Tellvane";
// Error, warning and information entries.
constexpr DWORD kTypesSupported = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;

constexpr char kNeedsAdministrator[] =
    " needs administrator rights: run it from a command prompt opened with \"Run as administrator\"\n";

std::wstring ExecutablePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// The registry's result: it sets no thread error of its own.
LONG SetValue(HKEY key, const wchar_t* name, DWORD type, const void* data, size_t size)
{
    return RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
}

int RegisterAsEventSource(std::ostream& out, std::ostream& err)
{
    // Known before the key is made, so that a failure leaves no key without
    // its texts.
    const std::wstring path = ExecutablePath();
    if (path.empty()) {
        err << "tellvane: the event source could not be registered: "
            << SystemErrorText(static_cast<int>(GetLastError())) << "\n";
        return 1;
    }
    HKEY key = nullptr;
    LONG result = RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSourceKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                  nullptr, &key, nullptr);
    if (result == ERROR_ACCESS_DENIED) {
        err << "tellvane: registering the event source" << kNeedsAdministrator;
        return 1;
    }
    if (result == ERROR_SUCCESS)
        result = SetValue(key, L"EventMessageFile", REG_EXPAND_SZ, path.c_str(), (path.size() + 1) * sizeof(wchar_t));
    if (result == ERROR_SUCCESS)
        result = SetValue(key, L"TypesSupported", REG_DWORD, &kTypesSupported, sizeof kTypesSupported);
    if (key)
        RegCloseKey(key);
    if (result != ERROR_SUCCESS) {
        err << "tellvane: the event source could not be registered: " << SystemErrorText(result) << "\n";
        return 1;
    }
    out << "tellvane: registered as the event source Tellvane of the Application log, with the texts of "
        << NarrowText(path, CP_ACP) << "\n";
    return 0;
}

int UnregisterAsEventSource(std::ostream& out, std::ostream& err)
{
    const LONG deleted = RegDeleteKeyW(HKEY_LOCAL_MACHINE, kSourceKey);
    if (deleted == ERROR_FILE_NOT_FOUND) {
        out << "tellvane: no event source Tellvane was registered\n";
        return 0;
    }
    if (deleted == ERROR_ACCESS_DENIED) {
        err << "tellvane: removing the event source" << kNeedsAdministrator;
        return 1;
    }
    if (deleted != ERROR_SUCCESS) {
        err << "tellvane: the event source could not be removed: " << SystemErrorText(deleted) << "\n";
        return 1;
    }
    out << "tellvane: the event source Tellvane is no longer registered\n";
    return 0;
}

constexpr CCommandOption kOptions[] = {
    {"--register-event-source", "register as the event log's source Tellvane (administrator) and exit",
     RegisterAsEventSource},
    {"--unregister-event-source", "remove that registration (administrator) and exit", UnregisterAsEventSource},
};

}  // namespace

std::span<const CCommandOption> PlatformCommandOptions() { return kOptions; }
