// A file replaced in parts: a write that fails on the way, as on a disk that
// fills up, leaves the old file as it was and no temporary file beside it.
// The process's file size limit stands in for the full disk.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "file_replace.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(FileReplacement, AWriteFailingMidwayKeepsTheOldFileAndLeavesNoTemporaryFile)
{
    const fs::path dir = fs::temp_directory_path() / ("file_replacement_test_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path target = dir / "events.csv";
    std::ofstream(target) << "the old export";
    ::chmod(target.c_str(), 0644);

    const std::string line = std::string(1000, 'x') + "\r\n";
    constexpr size_t kLines = 1000;
    size_t appended = 0;
    ReplaceResult result = ReplaceResult::Replaced;
    {
        CFileReplacement file(target.string(), FileAccess::kShared);
        rlimit old = {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
        const rlimit small = {4 * CFileReplacement::kChunkBytes, old.rlim_max};
        const sighandler_t oldHandler = ::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        while (appended < kLines && file.Append(line))
            ++appended;
        ::setrlimit(RLIMIT_FSIZE, &old);
        ::signal(SIGXFSZ, oldHandler);
        result = file.Commit();
    }

    // Whole chunks reached the file before the limit stopped one.
    EXPECT_GT(appended, 4 * CFileReplacement::kChunkBytes / line.size() - 1);
    EXPECT_LT(appended, kLines);
    EXPECT_EQ(result, ReplaceResult::WriteFailed);
    EXPECT_EQ(ReadFile(target), "the old export");
    struct stat st = {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path(), target) << "left behind";
    fs::remove_all(dir);
}

}  // namespace
