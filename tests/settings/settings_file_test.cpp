#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "registry.h"
#include "settings.h"
#include "site_settings.h"

namespace fs = std::filesystem;

namespace {

class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        m_dir = fs::temp_directory_path() / "tellvane-settings" / std::to_string(::getpid()) / test;
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        ::setenv("XDG_CONFIG_HOME", m_dir.c_str(), 1);
        ResetSettings();
    }
    void TearDown() override { fs::remove_all(m_dir.parent_path()); }

    fs::path File() const { return m_dir / "Zentrovo" / "Tellvane.conf"; }
    void WriteFile(const std::string& content)
    {
        fs::create_directories(File().parent_path());
        std::ofstream(File(), std::ios::binary) << content;
    }

    fs::path m_dir;
};

}  // namespace

TEST_F(SettingsFile, FreshProfileGivesDefaultsAndWritesNothing)
{
    gBeep = gPop = gToday = 0;
    gWarn = 3;
    gDate = "x";
    ReadAllSettings();
    EXPECT_EQ(gPop, 1);
    EXPECT_EQ(gBeep, 1);
    EXPECT_EQ(gToday, 1);
    EXPECT_EQ(gWarn, 0);
    EXPECT_EQ(gList, 0);
    EXPECT_EQ(gDate, "");
    EXPECT_FALSE(fs::exists(File()));
}

TEST_F(SettingsFile, WritesReadBackInTheSettingsGroup)
{
    EXPECT_TRUE(WriteSettingDword("gWarn", 2));
    EXPECT_TRUE(WriteSettingDword("gList", -7));
    EXPECT_TRUE(WriteSettingString("gLockStr", "Door \xc3\xa9, \"12\""));
    EXPECT_TRUE(WriteSettingString("gDate", ""));
    ReadAllSettings();
    EXPECT_EQ(gWarn, 2);
    EXPECT_EQ(gList, -7);
    EXPECT_EQ(gLockStr, "Door \xc3\xa9, \"12\"");
    EXPECT_EQ(gDate, "");

    std::ifstream in(File());
    std::string content((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(content.find("[Settings]"), std::string::npos);
    EXPECT_NE(content.find("gWarn=2"), std::string::npos);
}

TEST_F(SettingsFile, ValuesOfTheWrongKindGiveTheDefault)
{
    WriteFile("[Settings]\ngBeep=abc\ngPop=0\ngWarn=2x\ngLockStr=a, b\ngTrnsStr=plain\n");
    ReadAllSettings();
    EXPECT_EQ(gBeep, 1);
    EXPECT_EQ(gPop, 0);
    EXPECT_EQ(gWarn, 0);
    EXPECT_EQ(gLockStr, "");  // read back as a list, not a text
    EXPECT_EQ(gTrnsStr, "plain");
}

TEST_F(SettingsFile, OverlongTextReadsAsTheDefault)
{
    // 4096 bytes with the terminating zero still fit the registry's buffer.
    WriteSettingString("gDescStr", std::string(4096, 'a'));
    EXPECT_EQ(ReadSettingString("gDescStr", "def").size(), 3u);
    WriteSettingString("gDescStr", std::string(4095, 'a'));
    EXPECT_EQ(ReadSettingString("gDescStr", "def").size(), 4095u);
}

TEST_F(SettingsFile, DamagedOrUnreadableFileGivesDefaults)
{
    WriteFile(std::string("[Settings]\ngWarn=3\n\xff\xfe\x00[[[", 20));
    EXPECT_NO_THROW(ReadAllSettings());
    EXPECT_GE(gWarn, 0);

    fs::remove(File());
    fs::create_directories(File());  // a folder where the file should be
    EXPECT_EQ(ReadSettingDword("gWarn", 0), 0);
    EXPECT_FALSE(WriteSettingDword("gWarn", 1));
}

TEST_F(SettingsFile, PathsOfOtherShapes)
{
    const RegRoot root = m_dir.string();
    EXPECT_EQ(RegOpenPath(root, "Software"), nullptr);
    EXPECT_EQ(RegOpenPath("", kSettingsPath), nullptr);
    EXPECT_TRUE(RegWriteDword(root, "Software\\Other\\Deep\\App\\Group", "n", 5));
    EXPECT_EQ(RegReadDword(root, "Software\\Other\\Deep\\App\\Group", "n", 0), 5);
    EXPECT_TRUE(fs::exists(m_dir / "Other" / "Deep" / "App.conf"));
}

// QSettings would make the folders as the umask allows: under 000, open to
// every account, which could then put a settings file of its own there.
TEST_F(SettingsFile, FoldersMadeForTheFileArePrivateWhateverTheUmask)
{
    ::setenv("XDG_CONFIG_HOME", (m_dir / "config").c_str(), 1);
    const mode_t umaskBefore = ::umask(0);
    EXPECT_TRUE(WriteSettingDword("gWarn", 2));
    ::umask(umaskBefore);
    for (const fs::path& folder : {m_dir / "config", m_dir / "config" / "Zentrovo"})
        EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all) << folder;
}

// However the list is written, a comma list is read as its ids, and what
// cannot be read as ids lets nobody in: never everyone.
TEST_F(SettingsFile, SenderListIsReadAsItsIdsOrLetsNobodyIn)
{
    for (const char* written : {"101,102", "101, 102", "\"101,102\"", "101 102", "\"101\", 102", " 101,\t102 "}) {
        WriteFile(std::string("[Settings]\ngSenderUids=") + written + "\n");
        ReadSiteSettings();
        const CSenderList senders = ParseSenderList(gSenderUids);
        EXPECT_FALSE(senders.m_bEveryone) << written;
        EXPECT_EQ(senders.m_ids, (std::vector<std::string>{"101", "102"})) << written;
    }
    for (const char* written : {"101,alice", "@Rect(1 2 3 4)"}) {
        WriteFile(std::string("[Settings]\ngSenderUids=") + written + "\n");
        ReadSiteSettings();
        const CSenderList senders = ParseSenderList(gSenderUids);
        EXPECT_FALSE(senders.m_bEveryone) << written;
        EXPECT_EQ(senders.m_ids, std::vector<std::string>{}) << written;
    }
    WriteFile("[Settings]\ngJournal=0\n");
    ReadSiteSettings();
    EXPECT_TRUE(ParseSenderList(gSenderUids).m_bEveryone) << "absent: everyone";
}
