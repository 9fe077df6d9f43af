// The event archive of tellvane.exe under Windows: what it answered "OK"
// and then lost with the process, ended by TerminateProcess between two
// saves, the next start takes back from archive.sqlite.

#include <optional>
#include <string>
#include <vector>

#include <QFile>

#include <gtest/gtest.h>

#include "archive_reads.h"
#include "installed_copy.h"
#include "intake_test_support.h"

namespace {

constexpr int kFirstTime = 1300000000;

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

TEST(ArchiveWin32Test, TextsAnsweredBeforeTerminateProcessAreTakenBackByTheNextStart)
{
    CInstalledCopy copy;
    std::vector<std::string> sent{"Text 0"};
    // A first run that saves at its end, so that the next start checks the
    // data file against the archive's marker of that save, as after any
    // run but the very first.
    copy.Start();
    ASSERT_TRUE(copy.WaitListening());
    ASSERT_EQ(SendAnswered(kEndpoint, {TaggedEvent(kFirstTime, sent[0])}), 1);
    EndSession();
    ASSERT_EQ(copy.WaitEnded(), 0);
    std::string error;
    const std::optional<CSaveMarker> marker = ReadSaveMarker(copy.Folder(), &error);
    ASSERT_TRUE(marker) << error;
    const QByteArray saved = Contents(copy.DataFile());

    constexpr int kTexts = 300;  // all kept by the store's 500 slots
    std::vector<std::string> texts;
    for (int n = 1; n <= kTexts; ++n) {
        sent.push_back("Text " + std::to_string(n));
        texts.push_back(TaggedEvent(kFirstTime + n, sent.back()));
    }
    copy.Start();
    ASSERT_TRUE(copy.WaitListening());
    ASSERT_EQ(SendAnswered(kEndpoint, texts), kTexts);
    ASSERT_TRUE(WaitUntil([&] { return CountTextsAfter(copy.Folder(), marker->m_nLastSeq, error) == kTexts; },
                          std::chrono::seconds(30)))
        << "the archive has not committed them: " << error;
    ASSERT_TRUE(copy.Terminate());
    ASSERT_EQ(Contents(copy.DataFile()), saved) << "saved before the kill, so nothing was left to recover";

    copy.Start();
    ASSERT_TRUE(copy.WaitListening());
    const QString notice = QString("Recovered %1 events received before Tellvane last ended without saving").arg(kTexts);
    EXPECT_TRUE(WaitUntil([&] { return WindowTitle(copy.m_Process.processId()).endsWith(" - " + notice); },
                          std::chrono::seconds(30)))
        << WindowTitle(copy.m_Process.processId()).toStdString();
    EndSession();
    EXPECT_EQ(copy.WaitEnded(), 0);
    EXPECT_EQ(SavedDescriptions(copy.Folder()), sent) << "each once, in the order they were answered";
}
