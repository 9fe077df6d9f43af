// The History window over a generated archive: the timeline narrows the
// list and Back undoes it, the list fetches its pages as it scrolls, and
// an export that is cancelled or cannot be written leaves no file, and one
// that meets a newer filter is written whole.
#include <QComboBox>
#include <QHeaderView>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QLabel>
#include <QLineEdit>
#include <QtTest/QTest>
#include <algorithm>
#include <optional>
#include <utility>

#include "event_details_dlg.h"
#include "generated_archive.h"
#include "history_dlg.h"
#include "history_model.h"
#include "history_row_text.h"
#include "timeline_widget.h"
#include "widget_fixture.h"

namespace {

class CHistoryWidgetTest : public CWidgetTest {
protected:
    void MakeArchive(size_t count, int64_t span)
    {
        m_events = GenerateEvents(count, kGeneratedFirstTime, span);
        m_path = (m_dir / "archive.sqlite").string();
        ASSERT_EQ(WriteGeneratedArchive(m_path, m_events), "");
    }

    void TearDown() override
    {
        RemoveGeneratedArchive(m_path);
        CWidgetTest::TearDown();
    }

    int64_t StoredBetween(int64_t from, int64_t to) const
    {
        return std::count_if(m_events.begin(), m_events.end(), [&](const CGeneratedEvent& e) {
            return e.status == 0 && e.event_time >= from && e.event_time <= to;
        });
    }

    static void Settle(CHistoryDlg& dlg) { ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.Settled(); }, 20000)); }

    // The window shown with every event in its range.
    static void ShowEverything(CHistoryDlg& dlg)
    {
        dlg.show();
        dlg.ApplyPreset(kEverything);
        Settle(dlg);
    }

    std::vector<CGeneratedEvent> m_events;
    std::string m_path;
};

TEST_F(CHistoryWidgetTest, ClickOnBarNarrowsTheListAndBackRestoresTheRange)
{
    MakeArchive(3000, 30 * 86400LL);
    CHistoryDlg dlg(nullptr, m_path);
    ShowEverything(dlg);
    EXPECT_EQ(dlg.Model()->Count(), StoredBetween(INT64_MIN, INT64_MAX));

    CTimelineWidget* timeline = dlg.Timeline();
    const auto& buckets = timeline->Buckets();
    ASSERT_GE(buckets.size(), 10u);
    const auto busiest = std::max_element(buckets.begin(), buckets.end(),
                                          [](const auto& a, const auto& b) { return a.Total() < b.Total(); });
    const int bar = static_cast<int>(busiest - buckets.begin());
    const CTimelineBucket bucket = *busiest;
    QTest::mouseClick(timeline, Qt::LeftButton, {}, timeline->BarRect(bar).center());
    Settle(dlg);

    EXPECT_EQ(dlg.Range().m_nFrom, bucket.m_nStart);
    EXPECT_EQ(dlg.Range().m_nTo, bucket.m_nEnd - 1);
    const int64_t inBucket = StoredBetween(bucket.m_nStart, bucket.m_nEnd - 1);
    ASSERT_GT(inBucket, 0);
    EXPECT_EQ(dlg.Model()->Count(), inBucket);
    EXPECT_EQ(bucket.Total(), inBucket);
    for (int row = 0; row < dlg.Model()->rowCount() && dlg.Model()->Holds(row); ++row) {
        const CHistoryRow* shown = dlg.Model()->RowAt(row);
        EXPECT_GE(shown->m_nEventTime, bucket.m_nStart);
        EXPECT_LT(shown->m_nEventTime, bucket.m_nEnd);
    }

    dlg.findChild<QPushButton*>("m_btnBack")->click();
    Settle(dlg);
    EXPECT_EQ(dlg.Range(), (CHistoryDlg::CRange{std::nullopt, std::nullopt, kEverything}));
    EXPECT_EQ(dlg.Model()->Count(), StoredBetween(INT64_MIN, INT64_MAX));
}

// Without a mouse: arrows move between bars and Enter narrows to the focused
// one; with it, a drag from one bar to another narrows to the span between.
TEST_F(CHistoryWidgetTest, KeyboardAndDragOnTheTimelineNarrowTheRange)
{
    MakeArchive(3000, 30 * 86400LL);
    CHistoryDlg dlg(nullptr, m_path);
    ShowEverything(dlg);
    CTimelineWidget* timeline = dlg.Timeline();
    const std::vector<CTimelineBucket> buckets = timeline->Buckets();
    const int n = static_cast<int>(buckets.size());
    ASSERT_GE(n, 10);

    timeline->setFocus();
    QTest::keyClick(timeline, Qt::Key_End);
    QTest::keyClick(timeline, Qt::Key_Left);
    QTest::keyClick(timeline, Qt::Key_Left);
    QTest::keyClick(timeline, Qt::Key_Right);
    ASSERT_EQ(timeline->FocusedBar(), n - 2);
    QTest::keyClick(timeline, Qt::Key_Return);
    Settle(dlg);
    const CTimelineBucket& focused = buckets[n - 2];
    EXPECT_EQ(dlg.Range(), (CHistoryDlg::CRange{focused.m_nStart, focused.m_nEnd - 1}));
    EXPECT_EQ(dlg.Model()->Count(), StoredBetween(focused.m_nStart, focused.m_nEnd - 1));

    dlg.OnBack();
    Settle(dlg);
    ASSERT_EQ(timeline->Buckets().size(), buckets.size());
    // Dragged from right to left: the span is the same as the other way.
    QTest::mousePress(timeline, Qt::LeftButton, {}, timeline->BarRect(7).center());
    QTest::mouseMove(timeline, timeline->BarRect(5).center());
    QTest::mouseRelease(timeline, Qt::LeftButton, {}, timeline->BarRect(3).center());
    Settle(dlg);
    EXPECT_EQ(dlg.Range(), (CHistoryDlg::CRange{buckets[3].m_nStart, buckets[7].m_nEnd - 1}));
    EXPECT_EQ(dlg.Model()->Count(), StoredBetween(buckets[3].m_nStart, buckets[7].m_nEnd - 1));
}

// Size, column widths and the range preset come back with the next window,
// closed with Escape; a range narrowed on the timeline brings back the preset
// it came from.
TEST_F(CHistoryWidgetTest, LayoutAndRangePresetSurviveClosingAndReopening)
{
    MakeArchive(100, 86400);
    QSize chosen;
    {
        CHistoryDlg dlg(nullptr, m_path);
        dlg.ShowForward();
        // Grown from where it opens, as the smallest size depends on the font.
        chosen = dlg.size() + QSize(40, 30);
        dlg.resize(chosen);
        dlg.List()->horizontalHeader()->resizeSection(kHistDescription, 333);
        dlg.ApplyPreset(kLast7Days);
        dlg.NarrowTo(kGeneratedFirstTime, kGeneratedFirstTime + 3600);
        QTest::keyClick(&dlg, Qt::Key_Escape);
        ASSERT_FALSE(dlg.isVisible());
    }
    CHistoryDlg next(nullptr, m_path);
    next.ShowForward();
    EXPECT_EQ(next.size(), chosen);
    EXPECT_EQ(next.List()->horizontalHeader()->sectionSize(kHistDescription), 333);
    EXPECT_EQ(next.Range().m_nPreset, kLast7Days);
    EXPECT_EQ(next.findChild<QComboBox*>("m_cmbRange")->currentIndex(), kLast7Days);
}

TEST_F(CHistoryWidgetTest, ListFetchesPagesAsItScrolls)
{
    MakeArchive(2000, 86400);
    CHistoryDlg dlg(nullptr, m_path, 100);
    ShowEverything(dlg);
    const int count = dlg.Model()->rowCount();
    ASSERT_EQ(count, StoredBetween(INT64_MIN, INT64_MAX));
    ASSERT_GT(count, 1000);
    QTest::qWait(50);
    EXPECT_FALSE(dlg.Model()->Holds(count - 1));

    dlg.List()->scrollToBottom();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.Model()->Holds(count - 1); }, 10000));
    // Newest first: the last row is the oldest stored event.
    const auto oldest = std::min_element(m_events.begin(), m_events.end(), [](const auto& a, const auto& b) {
        if ((a.status == 0) != (b.status == 0))
            return a.status == 0;
        return a.event_time != b.event_time ? a.event_time < b.event_time : a.seq < b.seq;
    });
    EXPECT_EQ(dlg.Model()->RowAt(count - 1)->m_nSeq, oldest->seq);
    EXPECT_LE(dlg.Model()->Pages().HeldPages(), 8u);

    // Enter opens the details of the row, with its arrival and sender.
    dlg.List()->setCurrentIndex(dlg.Model()->index(count - 1, 0));
    QTest::keyClick(dlg.List(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.findChild<CEventDetailsDlg*>() != nullptr; }, 10000));
    const auto fields = dlg.findChild<CEventDetailsDlg*>()->findChildren<QLineEdit*>();
    const auto arrival = std::find_if(fields.begin(), fields.end(),
                                      [](QLineEdit* field) { return field->accessibleName() == "Arrival time"; });
    ASSERT_NE(arrival, fields.end());
    EXPECT_EQ((*arrival)->text().toStdString(), HistoryTimeText(oldest->arrival_ms / 1000));
}

TEST_F(CHistoryWidgetTest, CancelledExportLeavesNoFile)
{
    MakeArchive(20000, 365 * 86400LL);
    CHistoryDlg dlg(nullptr, m_path);
    dlg.ApplyPreset(kEverything);
    Settle(dlg);
    const std::filesystem::path out = m_dir / "out.csv";
    ShellServices().choosePath = [&](QWidget*, const CSaveAsRequest&) { return QString::fromStdString(out.string()); };
    dlg.OnSave();
    auto* progress = dlg.findChild<QProgressDialog*>();
    ASSERT_NE(progress, nullptr);
    QPushButton* cancel = progress->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg.Exporting(); }, 20000));
    for (const auto& entry : std::filesystem::directory_iterator(m_dir))
        EXPECT_EQ(entry.path().filename().string().rfind("out.csv", 0), std::string::npos) << entry.path();
    EXPECT_TRUE(m_messages.isEmpty());
}

// A new filter while the export streams must not stop the export: both use
// the worker's one connection, and the export's rows are what was asked for.
TEST_F(CHistoryWidgetTest, ARequeryDuringAnExportStillWritesTheFile)
{
    MakeArchive(20000, 365 * 86400LL);
    QObject receiver;
    CHistoryWorker* worker = nullptr;
    bool settled = false;
    int64_t written = -1;
    std::optional<std::pair<bool, ReplaceResult>> done;
    CHistorySinks sinks;
    sinks.archiveState = [](auto&&...) {};
    sinks.page = [](auto&&...) {};
    sinks.counted = [](auto&&...) {};
    sinks.timeline = [&](auto&&...) { settled = true; };
    // Every step of the export meets a newer filter, as when the user types on.
    sinks.exportProgress = [&](int64_t rows) {
        written = rows;
        worker->Supersede(2);
    };
    sinks.exportDone = [&](bool cancelled, ReplaceResult result) { done = {cancelled, result}; };
    sinks.receivedText = [](auto&&...) {};
    CHistoryWorker running(m_path, &receiver, sinks, 100);
    worker = &running;
    running.Supersede(1);
    running.Run(1, CHistoryFilter{});
    ASSERT_TRUE(QTest::qWaitFor([&] { return settled; }, 20000));

    const std::filesystem::path out = m_dir / "out.csv";
    running.Export(CHistoryFilter{}, out.string());
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.has_value(); }, 20000));
    EXPECT_EQ(*done, std::make_pair(false, ReplaceResult::Replaced));
    EXPECT_EQ(written, StoredBetween(INT64_MIN, INT64_MAX));
    EXPECT_TRUE(std::filesystem::exists(out));
}

TEST_F(CHistoryWidgetTest, FailedExportShowsTheMessageAndAMissingArchiveSaysSo)
{
    MakeArchive(100, 86400);
    CHistoryDlg dlg(nullptr, m_path);
    dlg.ApplyPreset(kEverything);
    Settle(dlg);
    const std::string out = (m_dir / "no such folder" / "out.csv").string();
    ShellServices().choosePath = [&](QWidget*, const CSaveAsRequest&) { return QString::fromStdString(out); };
    dlg.OnSave();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dlg.Exporting(); }, 10000));
    // The Monitor export's text for a file that cannot be made.
    EXPECT_EQ(m_messages, QStringList{QString::fromStdString("Could not open the file " + out)});

    CHistoryDlg missing(nullptr, (m_dir / "none.sqlite").string());
    Settle(missing);
    EXPECT_TRUE(missing.Status()->text().contains("no event archive")) << missing.Status()->text().toStdString();
    EXPECT_EQ(missing.Model()->rowCount(), 0);
}

}  // namespace
