// What Windows reads from the built executables themselves: the version
// under Properties, the manifest it starts them with, and the message table
// Event Viewer shows tellvane.exe's entries with.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#ifdef TELLVANE_PATH
#include "event_log_win32.h"
#include "journal_entries.h"
#endif

namespace {

std::wstring Wide(const char* text) { return std::wstring(text, text + strlen(text)); }

std::wstring VersionString(const std::vector<char>& info, const wchar_t* name)
{
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
        return {};
    return value;
}

struct CModule {
    explicit CModule(const std::wstring& path)
        : m_hModule(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE))
    {
    }
    ~CModule()
    {
        if (m_hModule)
            FreeLibrary(m_hModule);
    }
    HMODULE m_hModule;
};

BOOL CALLBACK CountLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD, LONG_PTR count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

void ExpectVersionAndManifest(const std::wstring& exe, const std::wstring& name)
{
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeW(exe.c_str(), &ignored));
    ASSERT_FALSE(info.empty()) << "no version resource";
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, DWORD(info.size()), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD(MAKELONG(1, 3)));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, DWORD(MAKELONG(1, 3)));
    EXPECT_EQ(VersionString(info, L"ProductName"), L"Tellvane");
    EXPECT_EQ(VersionString(info, L"ProductVersion"), L"3.1.0");
    EXPECT_EQ(VersionString(info, L"FileVersion"), L"3.1.0");
    EXPECT_EQ(VersionString(info, L"OriginalFilename"), name + L".exe");

    const CModule module(exe);
    ASSERT_TRUE(module.m_hModule);
    // One manifest, not the compiler's default beside it in another language.
    int languages = 0;
    EnumResourceLanguagesW(module.m_hModule, MAKEINTRESOURCEW(24), MAKEINTRESOURCEW(1), CountLanguage,
                           reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages, 1);
    const HRSRC found = FindResourceW(module.m_hModule, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_TRUE(found);
    const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module.m_hModule, found))),
                               SizeofResource(module.m_hModule, found));
    EXPECT_NE(manifest.find(R"(<requestedExecutionLevel level="asInvoker")"), std::string::npos);
    EXPECT_NE(manifest.find(">PerMonitorV2</dpiAwareness>"), std::string::npos);
    EXPECT_NE(manifest.find(R"(<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>)"), std::string::npos)
        << "Windows 10 and 11";
    EXPECT_EQ(manifest.find("activeCodePage"), std::string::npos) << "texts stay in the ANSI code page";
}

}  // namespace

TEST(ExecutableResources, TellvaneSendCarriesItsVersionAndManifest)
{
    ExpectVersionAndManifest(Wide(TELLVANE_SEND_PATH), L"tellvane-send");
}

#ifdef TELLVANE_PATH
TEST(ExecutableResources, TellvaneCarriesItsVersionAndManifest)
{
    ExpectVersionAndManifest(Wide(TELLVANE_PATH), L"tellvane");
}

// Event Viewer formats an entry with the message of its event id from the
// registered file: each level's message must give the entry's text as it is.
TEST(ExecutableResources, TellvanesMessageTableGivesEachLevelsEntryAsItIs)
{
    const CModule module(Wide(TELLVANE_PATH));
    ASSERT_TRUE(module.m_hModule);
    CSimpleMessage rec;
    rec.Parse("8,3,1299506709,Anna,Manipulation detected,Site 1,Door 14 Archive,1,12,7,3,2,4711,0,Key,5,0,1,0,0,0,0");
    for (int32_t level : {kLevelAlarm, kLevelWarning, kLevelMessage}) {
        rec.level = level;
        const CEventLogRecord record = EventLogRecord(EventEntry(rec, {}));
        const DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>(record.m_strText.c_str())};
        wchar_t* text = nullptr;
        const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                                FORMAT_MESSAGE_ARGUMENT_ARRAY,
                                            module.m_hModule, record.m_nEventId, 0, reinterpret_cast<wchar_t*>(&text),
                                            0, reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(inserts)));
        ASSERT_GT(length, 0u) << "no message for event id " << std::hex << record.m_nEventId;
        std::wstring formatted(text, length);
        LocalFree(text);
        // The message's own line break ends it.
        while (!formatted.empty() && (formatted.back() == L'\n' || formatted.back() == L'\r'))
            formatted.pop_back();
        EXPECT_EQ(formatted, record.m_strText) << "level " << level;
    }
}
#endif
