// The instance lock and the diagnostic file.

#include <fcntl.h>
#include <sys/file.h>
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
    EXPECT_EQ(fs::path(RuntimeDirectory()), fs::temp_directory_path());
}

}  // namespace
