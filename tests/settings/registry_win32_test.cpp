#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "registry.h"
#include "settings.h"
#include "site_settings.h"

namespace {

// Each run works below a key of its own under Software, so the user's real
// settings are never touched, and removes it afterwards.
class Registry : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_strTop = "Software\\TellvaneTest-" + std::to_string(GetCurrentProcessId());
        m_strPath = m_strTop + "\\Zentrovo\\Tellvane\\Settings";
        RegDeleteTreeA(HKEY_CURRENT_USER, m_strTop.c_str());
    }
    void TearDown() override
    {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);  // in case a test stopped while redirected
        RegDeleteTreeA(HKEY_CURRENT_USER, m_strTop.c_str());
    }

    static bool KeyExists(const std::string& path)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    // Stores raw data of any type and size, as another program might.
    void SetRaw(const std::string& name, DWORD type, const std::string& data)
    {
        ASSERT_NE(RegOpenPath(HKEY_CURRENT_USER, m_strPath), nullptr);
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, m_strPath.c_str(), 0, KEY_WRITE, &key), ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                 DWORD(data.size())),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    // The type and bytes a value was stored with.
    std::pair<DWORD, std::string> GetRaw(const std::string& name) const
    {
        std::string data(64, '\xee');
        DWORD type = 0;
        DWORD size = DWORD(data.size());
        EXPECT_EQ(RegGetValueA(HKEY_CURRENT_USER, m_strPath.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                               data.data(), &size),
                  ERROR_SUCCESS);
        data.resize(size);
        return {type, data};
    }

    std::string m_strTop;
    std::string m_strPath;
};

}  // namespace

TEST_F(Registry, FirstReadCreatesTheEmptyChainAndGivesDefaults)
{
    EXPECT_FALSE(KeyExists(m_strTop));
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, m_strPath, "gBeep", 1), 1);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, m_strPath, "gDate", "dflt"), "dflt");
    ASSERT_TRUE(KeyExists(m_strPath));

    DWORD values = 99;
    DWORD subkeys = 99;
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, m_strPath.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    EXPECT_EQ(values, 0u);
    EXPECT_EQ(subkeys, 0u);
}

TEST_F(Registry, WritesOfBothKindsReadBackWithTheirRegistryTypes)
{
    const std::string lock = "Door \xe9 12, \"B\"";
    EXPECT_TRUE(RegWriteDword(HKEY_CURRENT_USER, m_strPath, "gWarn", 2));
    EXPECT_TRUE(RegWriteDword(HKEY_CURRENT_USER, m_strPath, "gList", -7));
    EXPECT_TRUE(RegWriteString(HKEY_CURRENT_USER, m_strPath, "gLockStr", lock));
    EXPECT_TRUE(RegWriteString(HKEY_CURRENT_USER, m_strPath, "gDate", ""));

    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, m_strPath, "gWarn", 0), 2);
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, m_strPath, "gList", 0), -7);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, m_strPath, "gLockStr", ""), lock);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, m_strPath, "gDate", "x"), "");

    EXPECT_EQ(GetRaw("gList"), std::make_pair(DWORD(REG_DWORD), std::string("\xf9\xff\xff\xff", 4)));
    EXPECT_EQ(GetRaw("gDate"), std::make_pair(DWORD(REG_SZ), std::string(1, '\0')));
    EXPECT_EQ(GetRaw("gLockStr").second, lock + '\0');
}

TEST_F(Registry, MissingFirstComponentIsNeverCreated)
{
    const std::string top = "TellvaneNoRoot-" + std::to_string(GetCurrentProcessId());
    const std::string path = top + "\\Zentrovo\\Settings";
    EXPECT_EQ(RegOpenPath(HKEY_CURRENT_USER, path), nullptr);
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, path, "gPop", 5), 5);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, path, "gTime1", "d"), "d");
    EXPECT_FALSE(RegWriteDword(HKEY_CURRENT_USER, path, "gPop", 0));
    EXPECT_FALSE(RegWriteString(HKEY_CURRENT_USER, path, "gTime1", "10:00:00"));
    EXPECT_FALSE(KeyExists(top));

    // A path too long for the primitives' buffer is refused, not cut short.
    EXPECT_EQ(RegOpenPath(HKEY_CURRENT_USER, m_strTop + "\\" + std::string(4096, 'k')), nullptr);
    EXPECT_FALSE(KeyExists(m_strTop));
}

TEST_F(Registry, TextsThatDoNotFitTheBufferReadAsTheDefault)
{
    SetRaw("long", REG_SZ, std::string(5000, 'a') + '\0');
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, m_strPath, "long", "dflt"), "dflt");

    // Exactly the buffer's size and no zero byte: nothing past it may be read.
    SetRaw("unterminated", REG_SZ, std::string(4096, 'b'));
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, m_strPath, "unterminated", "dflt"), "dflt");

    SetRaw("fits", REG_SZ, std::string(4095, 'c') + '\0');
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, m_strPath, "fits", ""), std::string(4095, 'c'));

    // A short text without its zero byte is taken as it is.
    SetRaw("short", REG_SZ, "abc");
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, m_strPath, "short", ""), "abc");

    // A default that does not fit the buffer is cut to it.
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, m_strPath, "long", std::string(5000, 'd')).size(), 4095u);
}

TEST_F(Registry, NumbersAreTakenBytewiseWhateverTheirType)
{
    SetRaw("eight", REG_QWORD, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8));
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, m_strPath, "eight", 42), 42);

    // Two bytes replace only the low half of the default.
    SetRaw("two", REG_BINARY, std::string("\x34\x12", 2));
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, m_strPath, "two", 0x7f000000), 0x7f001234);

    SetRaw("text", REG_SZ, std::string("1\0", 2));
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, m_strPath, "text", 0), 0x31);
}

// The start-up read and the dialogs' writes, with the user's root redirected
// to the test key so that the real settings path is used without touching it.
TEST_F(Registry, SettingsWrappersUseTheSettingsKeyOfTheUser)
{
    HKEY top = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (m_strTop + "\\Software").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &top, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(top);
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, m_strTop.c_str(), 0, KEY_ALL_ACCESS, &top), ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, top), ERROR_SUCCESS);

    ResetSettings();
    gWarn = 3;
    ReadAllSettings();
    EXPECT_EQ(gWarn, 0);
    EXPECT_EQ(gPop, 1);
    WriteSettingDword("gBeep", 0);
    WriteSettingString("gTime2", "23:59:59");
    ReadAllSettings();

    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(top);
    EXPECT_EQ(gBeep, 0);
    EXPECT_EQ(gTime2, "23:59:59");
    EXPECT_TRUE(KeyExists(m_strTop + "\\" + kSettingsPath));
}

// gSenderUids as a text, a REG_MULTI_SZ of ids or another kind of value: a
// list of SIDs is read as its SIDs, anything else lets nobody in.
TEST_F(Registry, SenderListIsReadAsItsAccountsOrLetsNobodyIn)
{
    using namespace std::string_literals;
    HKEY top = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, m_strTop.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &top,
                              nullptr),
              ERROR_SUCCESS);
    m_strPath = m_strTop + "\\" + kSettingsPath;
    struct CCase {
        DWORD m_nType;
        std::string m_strData;
        std::vector<std::string> m_ids;
    };
    const std::vector<std::string> both{"S-1-5-18", "S-1-5-19"};
    for (const CCase& test : {CCase{REG_SZ, "S-1-5-18,s-1-5-19\0"s, both},
                              CCase{REG_SZ, "\"S-1-5-18\" S-1-5-19\0"s, both},
                              CCase{REG_MULTI_SZ, "S-1-5-18\0S-1-5-19\0\0"s, both},
                              CCase{REG_MULTI_SZ, "S-1-5-18\0NT AUTHORITY\\LOCAL SERVICE\0\0"s, both},
                              CCase{REG_SZ, "S-1-5-18 S-1-5-1X\0"s, {}},
                              CCase{REG_DWORD, "\x12\0\0\0"s, {}},
                              CCase{REG_BINARY, "\0\0"s, {}}}) {
        SetRaw(kSenderUidsSetting, test.m_nType, test.m_strData);
        ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, top), ERROR_SUCCESS);
        ReadSiteSettings();
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        const CSenderList senders = ParseSenderList(gSenderUids);
        EXPECT_FALSE(senders.m_bEveryone) << test.m_strData;
        EXPECT_EQ(senders.m_ids, test.m_ids) << test.m_strData;
    }
    RegCloseKey(top);
}
