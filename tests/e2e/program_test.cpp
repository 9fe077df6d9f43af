// The program from the outside: start, receive, stop by signal, and the one
// instance per user.

#include <csignal>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "archive.h"
#include "event_file.h"
#include "event_store.h"
#include "program_run.h"

namespace {

const char kWorkedExample[] = "8,3,1299506709,Anna,Door opened,Site 1,Door 12,1,12,7,3,0,4711,0,Key 4711,5,0,1,0,0,0,235";

std::string FileForm(CSimpleMessage record)
{
    CArchiveWriter writer;
    record.Serialize(writer);
    return writer.Bytes();
}

TEST(ProgramTest, TerminationSignalSavesWhatArrivedWithEveryField)
{
    CProgramHome home;
    CProgramRun run(home);
    ASSERT_TRUE(run.WaitListening());
    EXPECT_EQ(SendEvents({kWorkedExample}).trimmed(), "OK");
    ASSERT_EQ(run.Stop(SIGTERM), 0);
    EXPECT_EQ(run.Stderr(), "") << "no question, no complaint";

    ResetStore();
    CSimpleMessage shown;
    LoadEventFile(shown, home.DataFolder());
    ASSERT_EQ(max_used_item, 0);
    // Every field is in the record's file form: the saved record must be
    // the one the text parses to.
    CSimpleMessage expected;
    expected.Parse(kWorkedExample);
    EXPECT_EQ(FileForm(g_Array[0]), FileForm(expected));
    EXPECT_EQ(g_Array[0].desc, "Door opened");
    EXPECT_EQ(g_Array[0].analogInput, 235);
}

TEST(ProgramTest, HangupAndInterruptSaveToo)
{
    CProgramHome home;
    int events = 0;
    for (int signal : {SIGHUP, SIGINT}) {
        CProgramRun run(home);
        ASSERT_TRUE(run.WaitListening());
        ++events;
        SendEvents({QString("8,0,%1,Anna,Door opened,Site 1,Door 12,1,12,7,3,0,4711,0,,5,0,1,0,0,0,0")
                        .arg(1299506700 + events)});
        ASSERT_EQ(run.Stop(signal), 0) << signal;
    }
    ResetStore();
    CSimpleMessage shown;
    LoadEventFile(shown, home.DataFolder());
    EXPECT_EQ(max_used_item + 1, events) << "the second run loaded the first run's event and saved both";
}

TEST(ProgramTest, SecondStartIsRefusedAndLeavesTheFirstAlone)
{
    CProgramHome home;
    {
        CProgramRun first(home);
        ASSERT_TRUE(first.WaitListening());
        SendEvents({kWorkedExample});
        ASSERT_EQ(first.Stop(SIGTERM), 0);
    }
    const QByteArray saved = ReadAll(home.DataFile());
    ASSERT_FALSE(saved.isEmpty());
    const QDateTime savedAt = QFileInfo(home.DataFile()).lastModified();

    CProgramRun first(home);
    ASSERT_TRUE(first.WaitListening());
    QElapsedTimer refusal;
    refusal.start();
    CProgramRun second(home);
    EXPECT_EQ(second.WaitEnded(), 1);
    EXPECT_GE(refusal.elapsed(), 900) << "it waits for the lock about a second";
    EXPECT_TRUE(second.Stderr().contains("The program is already executing on this computer!"));
    EXPECT_EQ(ReadAll(home.DataFile()), saved);
    EXPECT_EQ(QFileInfo(home.DataFile()).lastModified(), savedAt);

    EXPECT_EQ(SendEvents({kWorkedExample}).trimmed(), "OK") << "the first still listens";
    EXPECT_EQ(first.Stop(SIGTERM), 0);
}

// The lock belongs to the data: a second start that shares the data file
// is refused whatever its runtime folder, and a killed holder blocks nothing.
TEST(ProgramTest, LockFollowsTheDataFileAndEndsWithItsHolder)
{
    CProgramHome home;
    QTemporaryDir otherRuntime;
    QProcessEnvironment elsewhere = home.Environment();
    elsewhere.insert("XDG_RUNTIME_DIR", otherRuntime.path());

    CProgramRun first(home);
    ASSERT_TRUE(first.WaitListening());
    CProgramRun second(elsewhere);
    EXPECT_EQ(second.WaitEnded(5000), 1);
    EXPECT_TRUE(second.Stderr().contains("The program is already executing on this computer!"));

    first.Stop(SIGKILL);
    CProgramRun third(home);
    EXPECT_TRUE(third.WaitListening());
    EXPECT_EQ(third.Stop(SIGTERM), 0);
    EXPECT_FALSE(third.Stderr().contains("already executing"));
}

// Neither the data folder nor the file can be written (a file stands where
// the folder belongs): a signal still ends the program at once, and every
// event is in the rescue copy the error output names.
TEST(ProgramTest, FailedSaveOnASignalEndsWithStatusOneAndARescueCopy)
{
    CProgramHome home;
    QDir().mkpath(home.Path() + "/data");
    QFile blocker(home.Path() + "/data/Tellvane");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    CProgramRun run(home);
    ASSERT_TRUE(run.WaitListening());
    SendEvents({kWorkedExample, QString(kWorkedExample).replace("1299506709", "1299506710")});
    QElapsedTimer exit;
    exit.start();
    EXPECT_EQ(run.Stop(SIGTERM), 1);
    EXPECT_LT(exit.elapsed(), 5000);

    const QString error = run.Stderr();
    const QRegularExpressionMatch rescue =
        QRegularExpression("written to (\\S+/state/Tellvane/zqtvane\\.dat\\.rescue-\\d{8}-\\d{6})").match(error);
    ASSERT_TRUE(rescue.hasMatch()) << error.toStdString();
    EXPECT_TRUE(error.contains("Could not open the file " + home.Path() + "/data/Tellvane/zqtvane.dat"));
    EXPECT_EQ(QFile::permissions(rescue.captured(1)), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    ResetStore();
    CSimpleMessage shown;
    LoadEventBytes(ReadAll(rescue.captured(1)).toStdString(), shown);
    EXPECT_EQ(max_used_item, 1);
}

// Every connection holds an open file: started with a soft limit below the
// hard one, the program asks for all it may have.
TEST(ProgramTest, RaisesItsOpenFileLimitToTheHardLimit)
{
    CProgramHome home;
    CProgramRun run(home.Environment(), {"-c", "ulimit -S -n 256 && exec \"$0\"", TELLVANE_PATH}, "/bin/sh");
    ASSERT_TRUE(run.WaitListening());
    const QString limits = QString::fromUtf8(ReadAll(QString("/proc/%1/limits").arg(run.m_Process.processId())));
    const QRegularExpressionMatch files = QRegularExpression("Max open files +(\\S+) +(\\S+)").match(limits);
    ASSERT_TRUE(files.hasMatch()) << limits.toStdString();
    EXPECT_EQ(files.captured(1), files.captured(2));
    EXPECT_EQ(run.Stop(SIGTERM), 0);
}

TEST(ProgramTest, StartAfterExitIsNotRefused)
{
    CProgramHome home;
    {
        CProgramRun first(home);
        ASSERT_TRUE(first.WaitListening());
        ASSERT_EQ(first.Stop(SIGTERM), 0);
    }
    CProgramRun again(home);
    ASSERT_TRUE(again.WaitListening());
    EXPECT_EQ(again.Stop(SIGTERM), 0);
    EXPECT_FALSE(again.Stderr().contains("already executing"));
}

}  // namespace
