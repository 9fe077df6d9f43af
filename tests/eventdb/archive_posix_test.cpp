// The archive names doors and people: only its owner may read it.
#include <sys/stat.h>

#include "archive_fixture.h"

namespace {

unsigned ModeOf(const std::string& path)
{
    struct stat st = {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

}  // namespace

TEST_F(ArchiveTest, TheArchiveAndItsFolderArePrivateWhateverTheUmask)
{
    const mode_t umask = ::umask(0);
    CEventArchiveOptions options = Options();
    options.m_strFolder = m_folder / "Tellvane";
    CEventArchive archive(options);
    ::umask(umask);
    ASSERT_NE(archive.Append(1, ArchiveNowMs(), kSender, EventText(1)), 0u);
    ASSERT_TRUE(archive.Flush(std::chrono::seconds(10)));
    EXPECT_EQ(ModeOf(options.m_strFolder), 0700u);
    EXPECT_EQ(ModeOf(archive.Path()), 0600u);
    EXPECT_EQ(ModeOf(archive.Path() + "-wal"), 0600u);
}
