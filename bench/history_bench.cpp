// The History window's queries over the archive of 1,000,000 generated events
// (history_archive.h). Each first-page case makes a new query, as a change of
// the filter does in the window.
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

#include "csv_writer.h"
#include "file_replace.h"
#include "history_archive.h"
#include "history_pages.h"
#include "history_query.h"
#include "history_reader.h"
#include "history_row_text.h"

namespace {

constexpr size_t kPage = 500;
constexpr int64_t kDay = 86400;

// Built before the first benchmark starts its clock.
const bool kArchiveBuilt = (BenchArchive(), true);

void Check(benchmark::State& state, const CHistoryStatus& status)
{
    if (!status.IsOk())
        state.SkipWithError(status.m_strError.c_str());
}

CHistoryFilter LastDays(int days)
{
    CHistoryFilter f;
    f.m_nFrom = BenchArchive().Last() - days * kDay;
    f.m_nTo = BenchArchive().Last();
    return f;
}

// The filters of the first-page cases, each kind alone and some combined.
CHistoryFilter Case(int which)
{
    CHistoryFilter f;
    switch (which) {
    case 0:  // Everything, as the window opens on it
        break;
    case 1:
        f = LastDays(30);
        break;
    case 2:  // a week two years back
        f.m_nFrom = BenchArchive().Last() - 730 * kDay;
        f.m_nTo = *f.m_nFrom + 7 * kDay;
        break;
    case 3:
        f.m_nLevels = kHistoryAlarms;
        break;
    case 4:
        f.m_nLevels = kHistoryWarnings | kHistoryAlarms;
        break;
    case 5:  // one door and the ten whose number goes on
        f.m_strLockingContains = "Door 12";
        break;
    case 6:  // a rare locking
        f.m_strLockingContains = "server";
        break;
    case 7:  // one key
        f.m_strTransponderContains = "Key 1005";
        break;
    case 8:  // a family name, forty key holders
        f.m_strTransponderContains = "meier";
        break;
    case 9:
        f.m_bIncludeRefused = true;
        break;
    case 10:
        f.m_eSortKey = EHistorySortKey::Arrival;
        break;
    case 11:
        f.m_bNewestFirst = false;
        break;
    case 12:  // who opened Door 12 last month
        f = LastDays(30);
        f.m_strLockingContains = "Door 12";
        f.m_strSearch = "opened";
        break;
    case 13:  // alarms at one site this year
        f = LastDays(365);
        f.m_nLevels = kHistoryAlarms;
        f.m_strSearch = "\"Site East\"";
        break;
    case 14:  // one key at the doors, warnings and alarms, refused included, by arrival
        f.m_strTransponderContains = "meier";
        f.m_strLockingContains = "door";
        f.m_nLevels = kHistoryWarnings | kHistoryAlarms;
        f.m_bIncludeRefused = true;
        f.m_eSortKey = EHistorySortKey::Arrival;
        break;
    case 15:  // a rare word over a week two years back
        f.m_nFrom = BenchArchive().Last() - 730 * kDay;
        f.m_nTo = *f.m_nFrom + 7 * kDay;
        f.m_strSearch = "sabotage";
        break;
    default:
        break;
    }
    return f;
}

const char* const kCaseNames[] = {
    "everything",       "last_30_days",         "week_2_years_ago", "alarms",          "warnings_alarms",
    "locking_door_12",  "locking_rare",         "key_1005",         "transponder_meier", "with_refused",
    "by_arrival",       "oldest_first",         "door12_opened_30d", "site_east_alarms_year",
    "meier_door_warn_refused_arrival", "sabotage_week_2y_ago",
};

// The first page of a new query, as a change of the filter asks for it.
void TimeFirstPage(benchmark::State& state, const CHistoryFilter& filter, const std::string& label)
{
    state.SetLabel(label);
    std::vector<CHistoryRow> rows;
    for (auto _ : state) {
        CHistoryQuery query(BenchArchive().Db(), filter);
        Check(state, query.Page(std::nullopt, kPage, rows));
    }
    state.counters["rows"] = static_cast<double>(rows.size());
}

void BM_FirstPage(benchmark::State& state)
{
    TimeFirstPage(state, Case(static_cast<int>(state.range(0))), kCaseNames[state.range(0)]);
}
BENCHMARK(BM_FirstPage)->DenseRange(0, 15)->Unit(benchmark::kMillisecond);

const char* const kSearches[] = {
    "door",          // in nearly every event
    "opened",        // one in ten
    "sabotage",      // one in two hundred
    "\"forced open\"",
    "clara huber",
    "Robert'); DROP TABLE event;--",
    "\"unpaired * NEAR(a b) -x %_\\",
};

void BM_SearchFirstPage(benchmark::State& state)
{
    CHistoryFilter filter;
    filter.m_strSearch = kSearches[state.range(0)];
    TimeFirstPage(state, filter, filter.m_strSearch);
}
BENCHMARK(BM_SearchFirstPage)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

void BM_Count(benchmark::State& state)
{
    const CHistoryFilter filter = Case(static_cast<int>(state.range(0)));
    state.SetLabel(kCaseNames[state.range(0)]);
    int64_t count = 0;
    for (auto _ : state) {
        CHistoryQuery query(BenchArchive().Db(), filter);
        Check(state, query.Count(count));
    }
    state.counters["matches"] = static_cast<double>(count);
}
BENCHMARK(BM_Count)->DenseRange(0, 15)->Unit(benchmark::kMillisecond);

// The pass that lets the list jump anywhere: count and every page's end.
void BM_PageEnds(benchmark::State& state)
{
    const CHistoryFilter filter = Case(static_cast<int>(state.range(0)));
    state.SetLabel(kCaseNames[state.range(0)]);
    std::vector<CHistoryKey> ends;
    int64_t count = 0;
    for (auto _ : state) {
        CHistoryQuery query(BenchArchive().Db(), filter);
        Check(state, query.PageEnds(kPage, ends, count));
    }
    state.counters["matches"] = static_cast<double>(count);
}
BENCHMARK(BM_PageEnds)->Arg(0)->Arg(3)->Arg(5)->Arg(10)->Unit(benchmark::kMillisecond);

// A page in the middle of the list (row 500,000 of everything), on a query that has run before,
// as while the user scrolls: by the previous page's last key.
void BM_FurtherPage(benchmark::State& state)
{
    const CHistoryFilter filter = Case(static_cast<int>(state.range(0)));
    state.SetLabel(kCaseNames[state.range(0)]);
    CHistoryQuery query(BenchArchive().Db(), filter);
    std::vector<CHistoryKey> ends;
    int64_t count = 0;
    Check(state, query.PageEnds(kPage, ends, count));
    const size_t page = ends.size() / 2;
    std::vector<CHistoryRow> rows;
    for (auto _ : state)
        Check(state, query.Page(ends[page], kPage, rows));
    state.counters["rows"] = static_cast<double>(rows.size());
}
BENCHMARK(BM_FurtherPage)->Arg(0)->Arg(3)->Arg(8)->Arg(10)->Unit(benchmark::kMillisecond);

void Timeline(benchmark::State& state, const CHistoryFilter& filter, std::optional<ETimelineUnit> unit)
{
    size_t bars = 0;
    int64_t counted = 0;
    for (auto _ : state) {
        CHistoryQuery query(BenchArchive().Db(), filter);
        int64_t from = filter.m_nFrom.value_or(0);
        int64_t to = filter.m_nTo.value_or(0);
        if (!filter.m_nFrom) {
            std::optional<std::pair<int64_t, int64_t>> span;
            Check(state, query.EventTimeSpan(span));
            from = span->first;
            to = span->second;
        }
        std::vector<CTimelineBucket> buckets =
            TimelineBuckets(TimelineEdges(from, to, unit.value_or(ChooseTimelineUnit(from, to))));
        Check(state, query.CountBuckets(buckets));
        bars = buckets.size();
        counted = 0;
        for (const CTimelineBucket& b : buckets)
            counted += b.Total();
    }
    state.counters["bars"] = static_cast<double>(bars);
    state.counters["events"] = static_cast<double>(counted);
}

void BM_Timeline30DaysByHour(benchmark::State& state)
{
    Timeline(state, LastDays(30), ETimelineUnit::Hour);
}
BENCHMARK(BM_Timeline30DaysByHour)->Unit(benchmark::kMillisecond);

void BM_TimelineEverything(benchmark::State& state)
{
    Timeline(state, CHistoryFilter{}, std::nullopt);
}
BENCHMARK(BM_TimelineEverything)->Unit(benchmark::kMillisecond);

// With a word in every tenth event, and with a locking.
void BM_TimelineEverythingFiltered(benchmark::State& state)
{
    CHistoryFilter filter;
    if (state.range(0) == 0)
        filter.m_strSearch = "opened";
    else
        filter.m_strLockingContains = "Door 12";
    state.SetLabel(state.range(0) == 0 ? "opened" : "locking_door_12");
    Timeline(state, filter, std::nullopt);
}
BENCHMARK(BM_TimelineEverythingFiltered)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Every event, the refused included, written as the History export writes
// it: its lines, gathered into the temporary file and put in place.
void BM_Export(benchmark::State& state)
{
    const std::string path = BenchArchive().Path() + ".csv";
    int64_t rows = 0;
    for (auto _ : state) {
        CHistoryFilter filter;
        filter.m_bIncludeRefused = true;
        CHistoryQuery query(BenchArchive().Db(), filter);
        CFileReplacement file(path, FileAccess::kShared);
        file.Append(FormatCsv({HistoryExportHeader()}, kHistoryExportFields, ','));
        rows = 0;
        Check(state, query.Stream(
                         [&](const CHistoryRow& row) {
                             ++rows;
                             return file.Append(FormatCsv({HistoryExportLine(row)}, kHistoryExportFields, ','));
                         },
                         [](int64_t) { return true; }));
        if (file.Commit() != ReplaceResult::Replaced)
            state.SkipWithError("the export file could not be written");
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    std::filesystem::remove(path);
}
BENCHMARK(BM_Export)->Iterations(1)->Unit(benchmark::kSecond);

// What a listing of every event holds while the window shows it: the
// query's sets (the refused texts; a common word's matches), the pages'
// ends, eight pages of rows, and SQLite's own memory.
void BM_ListingMemory(benchmark::State& state)
{
    CHistoryFilter filter;
    if (state.range(0) == 1)
        filter.m_strSearch = "door";
    state.SetLabel(state.range(0) == 1 ? "search_door" : "everything");
    size_t pagesBytes = 0;
    size_t queryBytes = 0;
    int64_t count = 0;
    sqlite3_int64 sqliteBytes = 0;
    for (auto _ : state) {
        CHistoryQuery query(BenchArchive().Db(), filter);
        CHistoryPages pages(kPage, 8);
        std::vector<CHistoryKey> ends;
        Check(state, query.PageEnds(kPage, ends, count));
        pages.SetPageEnds(ends);
        for (size_t p = 0; p < 40; p += 5) {
            std::optional<CHistoryKey> after;
            pages.StartOf(p * 50, after);
            std::vector<CHistoryRow> rows;
            Check(state, query.Page(after, kPage, rows));
            const CHistoryKey last = query.KeyOf(rows.back());
            pages.Store(p * 50, std::move(rows), last);
        }
        pagesBytes = pages.HeldBytes();
        queryBytes = query.HeldBytes();
        sqliteBytes = sqlite3_memory_used();
    }
    state.counters["matches"] = static_cast<double>(count);
    state.counters["pages_MB"] = static_cast<double>(pagesBytes) / 1e6;
    state.counters["query_sets_MB"] = static_cast<double>(queryBytes) / 1e6;
    state.counters["sqlite_MB"] = static_cast<double>(sqliteBytes) / 1e6;
}
BENCHMARK(BM_ListingMemory)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
