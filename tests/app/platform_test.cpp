// The instance lock and the diagnostic file.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "platform.h"

namespace {

namespace fs = std::filesystem;

class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("platform_test_" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
        setenv("XDG_RUNTIME_DIR", m_dir.c_str(), 1);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    fs::path m_dir;
};

TEST_F(PlatformTest, InstanceLockIsHeldUntilReleased)
{
    auto first = AcquireInstanceLock(0);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(fs::exists(m_dir / "ZQTellvane.lock"));
    EXPECT_EQ(AcquireInstanceLock(100), nullptr);
    first.reset();
    EXPECT_NE(AcquireInstanceLock(0), nullptr) << "free again at once";
}

TEST_F(PlatformTest, DiagnosticFileIsEmptiedAndHeldExclusively)
{
    const fs::path file = m_dir / "tvaneDebug.txt";
    std::ofstream(file) << "left from an earlier run";
    OpenDiagnosticFile();
    EXPECT_EQ(fs::file_size(file), 0u);
    const int other = ::open(file.c_str(), O_RDWR);
    ASSERT_GE(other, 0);
    EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0) << "a second holder is refused";
    ::close(other);
}

TEST_F(PlatformTest, RuntimeDirectoryFollowsXdgAndFallsBackToTemp)
{
    EXPECT_EQ(RuntimeDirectory(), m_dir.string());
    setenv("XDG_RUNTIME_DIR", "relative/dir", 1);
    EXPECT_NE(fs::path(RuntimeDirectory()), fs::temp_directory_path()) << "a private folder, never the shared one";
}

// Nothing another account could plant or take: whatever XDG_RUNTIME_DIR
// says, the folder is a real folder of this user, closed to everyone else.
TEST_F(PlatformTest, RuntimeDirectoryIsAlwaysPrivate)
{
    const auto expectPrivate = [](const std::string& dir) {
        struct stat st = {};
        ASSERT_EQ(::lstat(dir.c_str(), &st), 0) << dir;
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_uid, ::geteuid());
        EXPECT_EQ(st.st_mode & 07777, 0700u) << dir;
    };
    fs::permissions(m_dir, fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(RuntimeDirectory(), m_dir.string()) << "this user's, and nobody else could write to it";
    expectPrivate(m_dir);

    fs::permissions(m_dir, fs::perms::owner_all | fs::perms::group_all);
    EXPECT_NE(RuntimeDirectory(), m_dir.string()) << "others could have planted files in it";
    expectPrivate(RuntimeDirectory());
    if (::geteuid() == 0) {
        fs::permissions(m_dir, fs::perms::owner_all);
        ASSERT_EQ(::chown(m_dir.c_str(), 65534, 65534), 0);
        EXPECT_NE(RuntimeDirectory(), m_dir.string()) << "another account's folder";
    }
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_NE(RuntimeDirectory(), "/tmp");
    expectPrivate(RuntimeDirectory());
}

TEST_F(PlatformTest, DiagnosticFileNeverFollowsALink)
{
    const fs::path victim = m_dir / "zqtvane.dat";
    std::ofstream(victim) << "events";
    fs::create_symlink(victim, m_dir / "tvaneDebug.txt");
    OpenDiagnosticFile();
    EXPECT_EQ(fs::file_size(victim), 6u) << "the start emptied the link's target";
}

}  // namespace
