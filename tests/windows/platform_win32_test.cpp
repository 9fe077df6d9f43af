#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "platform.h"

namespace {

constexpr char kLogPath[] = "c:\\tvaneDebug.txt";

LONGLONG FileSize(const char* path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return -1;
    return (LONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

// The process keeps the file open to its end, so this is the one test of it.
TEST(DiagnosticFile, IsEmptiedAndHeldExclusively)
{
    HANDLE file = CreateFileA(kLogPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        GTEST_SKIP() << "no right to create files in the root of drive C";
    DWORD written = 0;
    WriteFile(file, "left over", 9, &written, nullptr);
    CloseHandle(file);

    OpenDiagnosticFile();
    EXPECT_EQ(FileSize(kLogPath), 0);
    HANDLE second = CreateFileA(kLogPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_EQ(second, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));

    OpenDiagnosticFile();  // a second call keeps the open file
    EXPECT_EQ(FileSize(kLogPath), 0);
}

TEST(RuntimeDirectory, IsTheTempFolderWithoutTrailingBackslash)
{
    const std::string dir = RuntimeDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), '\\');
    const DWORD attributes = GetFileAttributesA(dir.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
