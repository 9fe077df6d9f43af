// What the History list and its export show of an archived event: the
// cell texts by column, and the export's lines. Plain code, any thread.
#pragma once

#include <string>

#include "csv_writer.h"
#include "history_query.h"

enum EHistoryColumn {
    kHistLevel,
    kHistDescription,
    kHistLocking,
    kHistLockingSystem,
    kHistEventTime,
    kHistTransponder,
    kHistName,
    kHistArrival,
    kHistSender,
    kHistColumnCount
};

const char* HistoryColumnTitle(int column);

// The level's text as the Monitor shows it, marked when the store refused
// the text: "Alarm (refused)". Empty for a level outside 0..2.
std::string HistoryLevelText(const CHistoryRow& row);
std::string HistoryCellText(const CHistoryRow& row, int column);

// "2024.03.05 14:00:07" in local time; empty for 0.
std::string HistoryTimeText(int64_t seconds);
// "uid 1000, pid 4711"; empty when the sender is not known.
std::string HistorySenderText(const CHistoryRow& row);

// The export's columns: the Monitor's four ("Type", "Description",
// "Locking", "Date"), then the rest of the History list's.
inline constexpr size_t kHistoryExportFields = 9;
CCsvLine HistoryExportHeader();
CCsvLine HistoryExportLine(const CHistoryRow& row);
