// How event texts read on screen: UTF-8 when they are UTF-8, the legacy code
// page otherwise, decided for the whole text.
#include "shown_text.h"

#include <gtest/gtest.h>

TEST(ShownText, ValidUtf8ReadsAsItselfAndMalformedUtf8DoesNot)
{
    for (const char* text : {"", "Door opened", "T\xc3\xbcr ge\xc3\xb6" "ffnet", "\xe2\x82\xac 5", "\xf0\x9f\x94\x91"})
        EXPECT_EQ(ShownText(text), text);
    // Overlong '/', a surrogate, beyond U+10FFFF, a cut-off sequence, a
    // stray continuation byte: none of them is UTF-8.
    for (const char* bytes : {"\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xe2\x82", "\x80"})
        EXPECT_FALSE(IsValidUtf8(bytes)) << bytes;
}

TEST(ShownText, OtherTextsReadAsWindows1252WholeTexts)
{
    EXPECT_EQ(ShownText("T\xfcr ge\xf6" "ffnet"), "T\xc3\xbcr ge\xc3\xb6" "ffnet");
    // The range where Windows-1252 differs from Latin-1, and a byte it
    // leaves undefined, which keeps its value.
    EXPECT_EQ(ShownText("\x80\x9f\x81"), "\xe2\x82\xac\xc5\xb8\xc2\x81");
    // One byte that is not UTF-8 makes the whole text the legacy code page,
    // even where the rest would read as UTF-8.
    EXPECT_EQ(ShownText("\xc3\xbc\xfc"), "\xc3\x83\xc2\xbc\xc3\xbc");
}

TEST(ShownText, ContainsMatchesTextsAsReadWhateverTheirCodePage)
{
    const char utf8[] = "T\xc3\xbcr ge\xc3\xb6" "ffnet";
    const char cp1252[] = "T\xfcr ge\xf6" "ffnet";
    EXPECT_TRUE(ShownTextContains(cp1252, "T\xc3\xbcr"));
    EXPECT_TRUE(ShownTextContains(utf8, "T\xfcr"));
    EXPECT_TRUE(ShownTextContains(cp1252, ""));
    EXPECT_FALSE(ShownTextContains(cp1252, "t\xc3\xbcr")) << "still case-sensitive";
    // The byte 0xBC alone is not a character of the UTF-8 text.
    EXPECT_FALSE(ShownTextContains(utf8, "\xbc"));
}
