#include "app_directory.h"

#include <gtest/gtest.h>

TEST(CutAtLastBackslash, KeepsEverythingBeforeTheLastBackslash)
{
    for (CodePage cp : {CodePage::SingleByte, CodePage::DoubleByte}) {
        EXPECT_EQ(CutAtLastBackslash("C:\\Program Files\\Tellvane\\tellvane.exe", cp), "C:\\Program Files\\Tellvane");
        EXPECT_EQ(CutAtLastBackslash("C:\\tellvane.exe", cp), "C:");
        EXPECT_EQ(CutAtLastBackslash("\\\\server\\share\\t.exe", cp), "\\\\server\\share");
        EXPECT_EQ(CutAtLastBackslash("\\t.exe", cp), "");
        EXPECT_EQ(CutAtLastBackslash("tellvane.exe", cp), "") << "no backslash: no directory";
        EXPECT_EQ(CutAtLastBackslash("C:/Programs/t.exe", cp), "");
        EXPECT_EQ(CutAtLastBackslash("", cp), "");
    }
}

// 0x95 0x5C is one double-byte character whose second byte looks like a
// backslash; it must not be cut there.
TEST(CutAtLastBackslash, SecondByteOfADoubleByteCharacterIsNoBackslash)
{
    const std::string path = "C:\\Daten\\\x95\\\\t\x95\\.exe";
    EXPECT_EQ(CutAtLastBackslash(path, CodePage::DoubleByte), "C:\\Daten\\\x95\\");
    EXPECT_EQ(CutAtLastBackslash(path, CodePage::SingleByte), "C:\\Daten\\\x95\\\\t\x95");
    // A lead byte at the very end stands alone.
    EXPECT_EQ(CutAtLastBackslash("C:\\x\\\x95", CodePage::DoubleByte), "C:\\x");
    // Bytes outside 0x81-0xFE do not lead.
    EXPECT_EQ(CutAtLastBackslash("C:\\a\x80\\b", CodePage::DoubleByte), "C:\\a\x80");
    EXPECT_EQ(CutAtLastBackslash("C:\\a\xFF\\b", CodePage::DoubleByte), "C:\\a\xFF");
}
