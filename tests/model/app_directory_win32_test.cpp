#include <windows.h>

#include <cstdio>

#include <gtest/gtest.h>

#include "app_directory.h"
#include "app_directory_win32.h"
#include "event_file.h"
#include "store_fixtures.h"

// Last: its macros (_S1, _M1 ...) clash with names in the C++ headers.
#include <mbctype.h>

TEST(AppDirectory, DataFileIsWrittenBesideTheExecutable)
{
    char module[MAX_PATH];
    const std::string exe(module, GetModuleFileNameA(nullptr, module, sizeof module));
    const std::string beside = exe.substr(0, exe.rfind('\\')) + "\\zqtvane.dat";
    std::remove(beside.c_str());

    ResetStore();
    ASSERT_TRUE(AddMessage(FullEvent(1000, "beside")));
    ASSERT_EQ(SaveEventFile().kind, FileOutcome::Saved);
    EXPECT_EQ(EventFilePath(), beside);
    EXPECT_GT(ReadFile(beside).size(), 35510u);

    ResetStore();
    CSimpleMessage shown;
    EXPECT_EQ(LoadEventFile(shown).kind, FileOutcome::Loaded);
    EXPECT_EQ(max_used_item, 0);
    std::remove(beside.c_str());
}

TEST(AppDirectory, ModulePathWithoutBackslashHasNoDirectory)
{
    EXPECT_EQ(ModuleDirectory("tellvane.exe"), "");
    EXPECT_EQ(ModuleDirectory("C:/Programs/tellvane.exe"), "");
    EXPECT_EQ(ModuleDirectory("C:\\Tellvane\\tellvane.exe"), "C:\\Tellvane");
    EXPECT_EQ(ModuleDirectory("C:\\tellvane.exe"), "C:");
}

// In a double-byte code page 0x95 0x5C is one character; the runtime's own
// search must agree with the portable rule that it is no backslash.
TEST(AppDirectory, DoubleByteCharacterEndingInABackslashByteIsNotCut)
{
    const char* path = "C:\\Daten\\x\x95\\t.exe";
    EXPECT_EQ(ModuleDirectory(path), CutAtLastBackslash(path, CodePage::SingleByte));
    if (_setmbcp(932) != 0)
        GTEST_SKIP() << "code page 932 is not available";
    EXPECT_EQ(ModuleDirectory(path), "C:\\Daten");
    EXPECT_EQ(ModuleDirectory(path), CutAtLastBackslash(path, CodePage::DoubleByte));
    _setmbcp(_MB_CP_ANSI);
}
