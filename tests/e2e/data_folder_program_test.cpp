// The data folder from the outside, as another path, another file or
// another umask would meet it: one lock whichever path leads to the folder,
// a damaged file whose folder is read-only, a FIFO in the file's place, and
// the folders a first start makes.
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "archive.h"
#include "event_file.h"
#include "event_file_format.h"
#include "event_store.h"
#include "program_run.h"

namespace fs = std::filesystem;

namespace {

void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A second start on the same data folder, through its own runtime folder and
// endpoint, so that only the data lock can refuse it.
QProcessEnvironment Beside(const CProgramHome& home, const QString& dataHome, const QTemporaryDir& runtime)
{
    QProcessEnvironment env = home.Environment();
    env.insert("XDG_DATA_HOME", dataHome);
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("TELLVANE_ENDPOINT", env.value("TELLVANE_ENDPOINT") + "-beside");
    return env;
}

void ExpectRefused(CProgramRun& run)
{
    EXPECT_EQ(run.WaitEnded(), 1);
    EXPECT_TRUE(run.Stderr().contains("The program is already executing on this computer!"));
}

}  // namespace

TEST(DataFolderProgramTest, OneLockWhicheverPathLeadsToTheFolder)
{
    CProgramHome home;
    const QString folder = QString::fromStdString(home.DataFolder());
    QDir().mkpath(folder);
    CProgramRun first(home);
    ASSERT_TRUE(first.WaitListening());

    QTemporaryDir runtime;
    QDir().mkpath(home.Path() + "/linked");
    ASSERT_EQ(::symlink(folder.toLocal8Bit().constData(), (home.Path() + "/linked/Tellvane").toLocal8Bit().constData()), 0);
    CProgramRun throughLink(Beside(home, home.Path() + "/linked", runtime));
    ExpectRefused(throughLink);

    const QStringList namespaceOptions = NamespaceOptions();
    if (namespaceOptions.isEmpty())
        GTEST_SKIP() << "no private mount namespace for a bind mount here";
    QDir().mkpath(home.Path() + "/bound/Tellvane");
    const QString script = "mount --bind \"$0\" \"$1\" && exec \"$2\"";
    CProgramRun throughBind(Beside(home, home.Path() + "/bound", runtime),
                            namespaceOptions + QStringList{"--", "sh", "-c", script, folder,
                                                           home.Path() + "/bound/Tellvane", TELLVANE_PATH},
                            "unshare");
    ExpectRefused(throughBind);
    EXPECT_EQ(first.Stop(SIGTERM), 0);
}

// Twenty events, the length of record 10's first text made FF FF FF, in a
// folder that refuses the rename that would set the file aside. Root, whom
// the folder's mode does not bind, runs the program without the capabilities
// that override it.
TEST(DataFolderProgramTest, DamagedFileInAReadOnlyFolderIsCopiedWholeBeforeItIsSavedOver)
{
    ResetStore();
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(AddMessage("8,1," + std::to_string(1299506700 + i) + ",Anna,event " + std::to_string(i) +
                               ",Site 1,Door 12,1,12,7,3,0,4711,0,,5,0,1,0,0,0,0"));
    std::string bytes = EncodeEventFile();
    size_t record10 = 10;  // capacity, highest used slot, count
    for (int slot = 0; slot < 10; ++slot) {
        CArchiveWriter record;
        g_Array[slot].Serialize(record);
        record10 += record.Bytes().size();
    }
    bytes.replace(record10 + 8, 3, "\xFF\xFF\xFF");  // after version and type
    const QByteArray damaged = QByteArray::fromStdString(bytes);

    CProgramHome home;
    const QString folder = QString::fromStdString(home.DataFolder());
    QDir().mkpath(folder);
    WriteAll(home.DataFile(), damaged);
    ASSERT_EQ(::chmod(folder.toLocal8Bit().constData(), 0500), 0);
    const bool root = ::geteuid() == 0;
    CProgramRun run(home.Environment(),
                    root ? QStringList{"--bounding-set=-dac_override,-dac_read_search,-fowner", "--", TELLVANE_PATH}
                         : QStringList{},
                    root ? "setpriv" : TELLVANE_PATH);
    ASSERT_TRUE(run.WaitListening());
    EXPECT_EQ(run.Stop(SIGTERM), 0);
    ::chmod(folder.toLocal8Bit().constData(), 0700);

    const QString error = run.Stderr();
    const QRegularExpressionMatch copy =
        QRegularExpression("copied to (\\S+/state/Tellvane/zqtvane\\.dat\\.damaged-\\d{8}-\\d{6})").match(error);
    ASSERT_TRUE(copy.hasMatch()) << "the message names the copy: " << error.toStdString();
    EXPECT_TRUE(ReadAll(copy.captured(1)) == damaged) << "the records behind the damage are all in the copy";
    ResetStore();
    CSimpleMessage shown;
    ASSERT_EQ(LoadEventFile(shown, home.DataFolder()).kind, FileOutcome::Loaded);
    ASSERT_EQ(max_used_item, 9) << "the records before the damage were saved";
    EXPECT_EQ(g_Array[9].desc, "event 9");
}

TEST(DataFolderProgramTest, FifoAsTheDataFileIsSetAsideUnread)
{
    CProgramHome home;
    QDir().mkpath(QString::fromStdString(home.DataFolder()));
    ASSERT_EQ(::mkfifo(home.DataFile().toLocal8Bit().constData(), 0600), 0);
    CProgramRun run(home);
    EXPECT_TRUE(run.WaitListening()) << "the start waited on the FIFO";
    EXPECT_EQ(run.Stop(SIGTERM), 0);
    struct stat st = {};
    EXPECT_EQ(::stat((home.DataFile() + ".damaged").toLocal8Bit().constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    ASSERT_EQ(::stat(home.DataFile().toLocal8Bit().constData(), &st), 0);
    ASSERT_TRUE(S_ISREG(st.st_mode)) << "the FIFO is still in the file's place";
    EXPECT_EQ(st.st_size, 35510) << "a fresh file was saved in its place";
}

// No ~/.local yet and a umask of 000: nothing the start makes may be open to
// another account, which could otherwise put a folder of its own there.
TEST(DataFolderProgramTest, FoldersAStartMakesArePrivateWhateverTheUmask)
{
    CProgramHome home;
    QTemporaryDir runtime;
    const QString userHome = home.Path() + "/home";
    QDir().mkpath(userHome);
    QProcessEnvironment env = home.Environment();
    env.insert("HOME", userHome);
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
        env.remove(name);

    const mode_t umaskBefore = ::umask(0);
    CProgramRun run(env);
    ::umask(umaskBefore);
    ASSERT_TRUE(run.WaitListening());
    EXPECT_EQ(run.Stop(SIGTERM), 0);

    ASSERT_TRUE(fs::exists(userHome.toStdString() + "/.local/share/Tellvane/zqtvane.dat"));
    for (const auto& entry : fs::recursive_directory_iterator(userHome.toStdString())) {
        if (entry.is_directory()) {
            EXPECT_EQ(entry.status().permissions() & fs::perms::all, fs::perms::owner_all) << entry.path();
        }
    }

    // A data folder of the user's that others may enter is closed to them at start.
    const std::string folder = userHome.toStdString() + "/.local/share/Tellvane";
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                fs::perms::others_read | fs::perms::others_exec);
    CProgramRun again(env);
    ASSERT_TRUE(again.WaitListening());
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(again.Stop(SIGTERM), 0);
}
