// The export's file modes, and the export on a file system that fills up:
// Linux only, for the modes and the private mount it makes.
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>

#include "app_directory.h"
#include "event_file.h"
#include "monitor_window_fixture.h"

// A disk that fills up while the export writes: the message, no cut-off
// file, and an export it was to replace kept whole.
TEST_F(MonitorWindow, SaveThatRunsOutOfRoomSaysSoAndLeavesNoPartialFile)
{
    const std::filesystem::path small = m_dir / "small";
    std::filesystem::create_directories(small);
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
        || ::mount("tellvane-test", small.c_str(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "no private mount of a small file system here (it needs root)";
    for (int i = 0; i < 200; ++i)
        Add(kDay + 10000 + i, "an event with a description long enough to fill the disk " + std::to_string(i));
    SortPositions();
    m_monitor->FillList();

    const QString earlier = QString::fromStdString((small / "earlier.csv").string());
    const QString fresh = QString::fromStdString((small / "fresh.csv").string());
    QFile previous(earlier);
    ASSERT_TRUE(previous.open(QIODevice::WriteOnly));
    previous.write("the export of last week\r\n");
    previous.close();
    for (const QString& path : {earlier, fresh}) {
        ShellServices().choosePath = [path](QWidget*, const CSaveAsRequest&) { return path; };
        m_monitor->OnSave();
    }
    EXPECT_EQ(m_messages.join('\n').toStdString(),
              ("Could not write the file " + earlier + "\nCould not write the file " + fresh).toStdString());
    QFile kept(earlier);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "the export of last week\r\n");
    kept.close();
    EXPECT_EQ(QDir(QString::fromStdString(small.string())).entryList(QDir::Files), QStringList{"earlier.csv"});
    ::umount(small.c_str());
}

// Events name people and doors: an export is made for its owner alone, as
// the data file is, whatever the umask; a mode the user widened it to stays.
TEST_F(MonitorWindow, ExportIsMadeForItsOwnerAloneAndKeepsAWiderModeTheUserGaveIt)
{
    const mode_t umaskBefore = ::umask(022);
    const std::string path = (m_dir / "out.csv").string();
    ShellServices().choosePath = [&path](QWidget*, const CSaveAsRequest&) { return QString::fromStdString(path); };
    const auto modeOf = [&path] {
        struct stat st = {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    };
    m_monitor->OnSave();
    EXPECT_EQ(modeOf(), 0600u);
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    m_monitor->OnSave();
    EXPECT_EQ(modeOf(), 0644u);
    EXPECT_TRUE(m_messages.isEmpty());
    ::umask(umaskBefore);
}

// The data file, chosen as the export's file, stays as it is: it holds the
// events themselves.
TEST_F(MonitorWindow, AnExportNeverReplacesTheDataFile)
{
    const std::string data = EventFilePath();
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(GetAppDirectory())));
    QFile file(QString::fromStdString(data));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("the events");
    file.close();
    ShellServices().choosePath = [&data](QWidget*, const CSaveAsRequest&) { return QString::fromStdString(data); };
    m_monitor->OnSave();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "the events");
    EXPECT_EQ(m_messages.size(), 1);
}
