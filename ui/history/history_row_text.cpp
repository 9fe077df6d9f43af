#include "history_row_text.h"

#include "event_level.h"
#include "row_text.h"
#include "simple_message.h"

namespace {

constexpr const char* kTitles[kHistColumnCount] = {"Level",       "Description", "Locking",      "Locking system", "Date",
                                                   "Transponder", "Name",        "Arrival time", "Sender"};

}  // namespace

const char* HistoryColumnTitle(int column)
{
    return column >= 0 && column < kHistColumnCount ? kTitles[column] : "";
}

std::string HistoryLevelText(const CHistoryRow& row)
{
    std::string text = TypeText(row.m_nLevel);
    if (row.m_nStatus != 0)
        text += text.empty() ? "(refused)" : " (refused)";
    return text;
}

std::string HistoryTimeText(int64_t seconds)
{
    if (seconds == 0)
        return {};
    const auto t = static_cast<int32_t>(seconds);
    return FormatLocalDateTime(t);
}

std::string HistorySenderText(const CHistoryRow& row)
{
    std::string text;
    if (row.m_nSenderUid >= 0)
        text = "uid " + std::to_string(row.m_nSenderUid);
    if (row.m_nSenderPid >= 0)
        text += (text.empty() ? "pid " : ", pid ") + std::to_string(row.m_nSenderPid);
    return text;
}

std::string HistoryCellText(const CHistoryRow& row, int column)
{
    switch (column) {
    case kHistLevel: return HistoryLevelText(row);
    case kHistDescription: return row.m_strDescription;
    case kHistLocking: return row.m_strLocking;
    case kHistLockingSystem: return row.m_strLockingSystem;
    case kHistEventTime: return HistoryTimeText(row.m_nEventTime);
    case kHistTransponder: return row.m_strTransponderName;
    case kHistName: return row.m_strName;
    case kHistArrival: return HistoryTimeText(row.m_nArrivalMs / 1000);
    case kHistSender: return HistorySenderText(row);
    default: return {};
    }
}

CCsvLine HistoryExportHeader()
{
    // The Monitor's own four, so that the two exports cannot drift apart.
    return {ColumnHeaderText(kColType),  ColumnHeaderText(kColDescription), ColumnHeaderText(kColLocking),
            ColumnHeaderText(kColDate),  kTitles[kHistLockingSystem],       kTitles[kHistTransponder],
            kTitles[kHistName],          kTitles[kHistArrival],             kTitles[kHistSender]};
}

CCsvLine HistoryExportLine(const CHistoryRow& row)
{
    CCsvLine line;
    line.reserve(kHistoryExportFields);
    for (int column : {kHistLevel, kHistDescription, kHistLocking, kHistEventTime, kHistLockingSystem, kHistTransponder,
                       kHistName, kHistArrival, kHistSender})
        line.push_back(HistoryCellText(row, column));
    return line;
}
