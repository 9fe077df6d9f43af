// The program's command line and a start without a display, from the
// outside: what it prints, and how it ends.

#include <csignal>

#include <QCoreApplication>
#include <QDir>

#include <gtest/gtest.h>

#include "program_run.h"

namespace {

// No way to reach a window system, whatever the machine running the tests has.
QProcessEnvironment WithoutDisplay(const CProgramHome& home)
{
    QProcessEnvironment env = home.Environment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(name);
    return env;
}

bool LeftNoTrace(const CProgramHome& home)
{
    return QDir(home.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty();
}

TEST(CommandLineTest, HelpAndVersionAnswerWithoutStartingTheAgent)
{
    CProgramHome home;
    CProgramRun help(WithoutDisplay(home), {"--help", "--version"});
    EXPECT_EQ(help.WaitEnded(), 0);
    EXPECT_TRUE(help.m_Process.readAllStandardOutput().startsWith("Usage: tellvane [--help | --version]\n"));

    CProgramRun version(WithoutDisplay(home), {"--bogus", "--version"});
    EXPECT_EQ(version.WaitEnded(), 0);
    EXPECT_EQ(version.m_Process.readAllStandardOutput(), "tellvane 3.1.0\n");
    EXPECT_EQ(help.Stderr() + version.Stderr(), "");
    EXPECT_TRUE(LeftNoTrace(home)) << "no lock, no diagnostic file, no data";
}

TEST(CommandLineTest, OtherArgumentsAreIgnoredWithOneWarningAndQtNeverSeesThem)
{
    CProgramHome home;
    QProcessEnvironment env = home.Environment();
    env.insert("TELLVANE_ENDPOINT", QString("tellvane-test-args-%1").arg(QCoreApplication::applicationPid()));
    // Given to Qt, -platform would name a plugin that does not exist and
    // abort the program.
    CProgramRun run(env, {"-platform", "nonexistent", "-reverse", "--bogus"});
    ASSERT_TRUE(run.WaitListening());
    EXPECT_EQ(run.Stop(SIGTERM), 0);
    EXPECT_EQ(run.Stderr(), "tellvane: ignoring arguments it does not take: -platform nonexistent -reverse --bogus\n");
}

TEST(CommandLineTest, NoDisplayIsOneLineAndStatusOneNotAnAbort)
{
    CProgramHome home;
    QProcessEnvironment waylandOnly = WithoutDisplay(home);
    waylandOnly.insert("WAYLAND_DISPLAY", "tellvane-test-no-compositor");
    waylandOnly.insert("XDG_SESSION_TYPE", "wayland");
    for (const QProcessEnvironment& env : {WithoutDisplay(home), waylandOnly}) {
        CProgramRun run(env, {});
        EXPECT_EQ(run.WaitEnded(), 1);
        EXPECT_EQ(run.Stderr(), "tellvane: no display; set DISPLAY or WAYLAND_DISPLAY, or QT_QPA_PLATFORM=offscreen to "
                                "run without windows\n");
    }
    EXPECT_TRUE(LeftNoTrace(home));
}

}  // namespace
