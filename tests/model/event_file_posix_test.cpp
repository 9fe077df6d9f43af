// Data-file behaviour that needs a POSIX system: the per-user folder from
// the environment, the reading machine's time zone, file permissions and
// what other accounts may plant.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <optional>

#include <gtest/gtest.h>

#include "app_directory.h"
#include "event_file.h"
#include "event_file_format.h"
#include "file_outcome_text.h"
#include "store_fixtures.h"

namespace {

// Sets or clears environment variables for one test and puts them back.
class ScopedEnv {
public:
    void Set(const char* name, const char* value)
    {
        const char* old = std::getenv(name);
        m_saved.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second)
                setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                unsetenv(it->first.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

}  // namespace

TEST(AppDirectory, IsThePerUserDataFolder)
{
    ScopedEnv env;
    env.Set("HOME", "/home/anna");
    env.Set("XDG_DATA_HOME", "/data/anna");
    EXPECT_EQ(GetAppDirectory(), "/data/anna/Tellvane");
    EXPECT_EQ(EventFilePath(), "/data/anna/Tellvane/zqtvane.dat");

    env.Set("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(GetAppDirectory(), "/home/anna/.local/share/Tellvane");
    env.Set("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(GetAppDirectory(), "/home/anna/.local/share/Tellvane");

    env.Set("HOME", nullptr);
    EXPECT_EQ(GetAppDirectory(), "") << "no folder can be told: nothing is read or written";
}

TEST(EventFileZone, DatesFollowTheLoadingMachinesTimeZone)
{
    ScratchFolder folder;
    CSimpleMessage shown;
    ResetStore();
    ASSERT_TRUE(AddMessage(FullEvent(1299506709, "tz")));
    ASSERT_EQ(SaveEventFile(folder.Path()).kind, FileOutcome::Saved);
    {
        ScopedEnv env;
        env.Set("TZ", "JST-9");
        tzset();
        ResetStore();
        LoadEventFile(shown, folder.Path());
    }
    tzset();
    EXPECT_EQ(g_Array[0].date, "2011.03.07");
    EXPECT_EQ(g_Array[0].time, "23:05:09");
}

namespace {

// Runs body in a child process, so that a save that hangs can be stopped
// and one that runs as another account leaves this process as it was. With
// asUnprivileged, a root test (file permissions do not bind root) runs body
// as nobody, after handing `owned` over to nobody. True when body returned
// true within the time.
bool InChild(const std::function<bool()>& body, bool asUnprivileged = false, const std::string& owned = {})
{
    const uid_t nobody = 65534;
    const bool dropRoot = asUnprivileged && ::geteuid() == 0;
    if (dropRoot) {
        EXPECT_EQ(::chown(owned.c_str(), nobody, nobody), 0);
        for (const auto& entry : std::filesystem::recursive_directory_iterator(owned))
            EXPECT_EQ(::lchown(entry.path().c_str(), nobody, nobody), 0);
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (dropRoot && (::setgid(nobody) != 0 || ::setuid(nobody) != 0))
            ::_exit(3);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    for (int waited = 0; waited < 5000; waited += 10) {
        if (::waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        ::usleep(10000);
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    ADD_FAILURE() << "the child hung";
    return false;
}

mode_t ModeOf(const std::string& path)
{
    struct stat st = {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

bool Saves(const std::string& folder) { return SaveEventFile(folder).kind == FileOutcome::Saved; }

}  // namespace

// A folder the user may not write to, holding a data file the user may:
// the file itself is rewritten.
TEST(EventFileSafety, ReadOnlyFolderWithAWritableFileSavesInPlace)
{
    ScratchFolder scratch;
    const std::string folder = scratch / "Tellvane";
    ResetStore();
    ASSERT_TRUE(AddMessage(FullEvent(1000, "old")));
    ASSERT_TRUE(Saves(folder));
    ASSERT_TRUE(AddMessage(FullEvent(2000, "new")));
    ASSERT_EQ(::chmod(folder.c_str(), 0500), 0);
    EXPECT_TRUE(InChild([&folder] { return Saves(folder); }, true, folder));
    ::chmod(folder.c_str(), 0700);
    EXPECT_TRUE(ReadFile(EventFilePath(folder)) == EncodeEventFile()) << "every event, the new one too";
}

// What a stale or planted zqtvane.dat.tmp is, the save makes its own file.
TEST(EventFileSafety, PlantedTemporaryLinkOrFifoIsNeitherFollowedNorWaitedOn)
{
    ScratchFolder folder;
    const std::string temp = EventFilePath(folder.Path()) + ".tmp";
    WriteFile(folder / "victim", "not the store's");
    ResetStore();
    ASSERT_TRUE(AddMessage(FullEvent(1000, "one")));

    ASSERT_EQ(::symlink((folder / "victim").c_str(), temp.c_str()), 0);
    EXPECT_TRUE(Saves(folder.Path()));
    EXPECT_TRUE(ReadFile(folder / "victim") == "not the store's") << "the link was followed";
    EXPECT_TRUE(ReadFile(EventFilePath(folder.Path())) == EncodeEventFile());

    ASSERT_EQ(::mkfifo(temp.c_str(), 0600), 0);
    EXPECT_TRUE(InChild([&folder] { return Saves(folder.Path()); })) << "the save waits for a reader";
    EXPECT_FALSE(std::filesystem::exists(temp));
}

TEST(EventFileSafety, FilesArePrivateWhateverTheUmask)
{
    const mode_t umaskBefore = ::umask(022);
    ScratchFolder scratch;
    const std::string folder = scratch / "share/Tellvane";
    ResetStore();
    ASSERT_TRUE(Saves(folder));
    EXPECT_EQ(ModeOf(folder), 0700u);
    EXPECT_EQ(ModeOf(EventFilePath(folder)), 0600u);
    ::chmod(EventFilePath(folder).c_str(), 0644);
    ASSERT_TRUE(Saves(folder));
    EXPECT_EQ(ModeOf(EventFilePath(folder)), 0600u) << "an existing file becomes private at the next save";

    // Two rescues in the same second: both kept, both private.
    const std::string rescues = scratch / "state/Tellvane";
    const FileOutcome first = RescueEventFile(rescues, 1299506709);
    const FileOutcome second = RescueEventFile(rescues, 1299506709);
    const std::string name = rescues + "/zqtvane.dat.rescue-20110307-140509";
    EXPECT_EQ(first.kind, FileOutcome::Rescued);
    EXPECT_EQ(FileOutcomeText(first), "The events were written to " + name);
    EXPECT_EQ(FileOutcomeText(second), "The events were written to " + name + ".1");
    EXPECT_TRUE(ReadFile(name) == EncodeEventFile());
    EXPECT_EQ(ModeOf(rescues), 0700u);
    EXPECT_EQ(ModeOf(name), 0600u);
    ::umask(umaskBefore);
}

// A damaged file whose folder refuses the rename and whose bytes find no
// place in the rescue folder (a file stands there): no save writes over it
// until it can be set aside after all.
TEST(EventFileSafety, DamagedFileThatCanBeNeitherSetAsideNorCopiedIsNotSavedOver)
{
    ScratchFolder scratch;
    const std::string folder = scratch / "Tellvane";
    const std::string noRescue = scratch / "state";
    ResetStore();
    ASSERT_TRUE(AddMessage(FullEvent(1000, "one")));
    ASSERT_TRUE(AddMessage(FullEvent(2000, "two")));
    ASSERT_TRUE(Saves(folder));
    const std::string damaged = ReadFile(EventFilePath(folder)).substr(0, 200);
    WriteFile(EventFilePath(folder), damaged);
    WriteFile(noRescue, "not a folder");
    ASSERT_EQ(::chmod(folder.c_str(), 0500), 0);

    EXPECT_TRUE(InChild([&] {
        CSimpleMessage shown;
        ResetStore();
        const FileOutcome loaded = LoadEventFile(shown, folder, noRescue, 1299506709);
        const FileOutcome refused = SaveEventFile(folder);
        const bool keptAsItWas = loaded.setAside == SetAside::kNowhere && max_used_item == 0 &&
                                 refused.kind == FileOutcome::NotOverwritten && ReadFile(EventFilePath(folder)) == damaged;
        const bool told = FileOutcomeText(refused) ==
                          "The data file " + EventFilePath(folder) +
                              " was not saved over: it holds events that could not be read, and no copy of it could be kept";
        // Once the folder takes the rename, the save sets the file aside and goes on.
        return keptAsItWas && told && ::chmod(folder.c_str(), 0700) == 0 && Saves(folder) &&
               ReadFile(EventFilePath(folder) + ".damaged") == damaged;
    }, true, scratch.Path()));
    ::chmod(folder.c_str(), 0700);
}
