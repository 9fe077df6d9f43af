// The program from the outside: start, receive, stop by signal, and the one
// instance per user.

#include <csignal>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

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

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    EXPECT_EQ(second.WaitEnded(), 0);
    EXPECT_GE(refusal.elapsed(), 900) << "it waits for the lock about a second";
    EXPECT_TRUE(second.Stderr().contains("The program is already executing on this computer!"));
    EXPECT_EQ(ReadAll(home.DataFile()), saved);
    EXPECT_EQ(QFileInfo(home.DataFile()).lastModified(), savedAt);

    EXPECT_EQ(SendEvents({kWorkedExample}).trimmed(), "OK") << "the first still listens";
    EXPECT_EQ(first.Stop(SIGTERM), 0);
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
