// Data-file behaviour that needs a POSIX system: the per-user folder from
// the environment and the reading machine's time zone.
#include <cstdlib>
#include <optional>

#include <gtest/gtest.h>

#include "app_directory.h"
#include "event_file.h"
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
