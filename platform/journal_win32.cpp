#include <cstdlib>

#include "event_log_win32.h"
#include "journal.h"
#include "tellvane_messages.h"
#include "wide_text_win32.h"

namespace {

// Registered once and kept: every entry of the process goes through it.
HANDLE EventSource()
{
    static const HANDLE source = RegisterEventSourceW(nullptr, L"Tellvane");
    return source;
}

// The readable line first, then every other field as NAME=value.
std::string EventText(const CJournalEntry& entry)
{
    std::string text(JournalFieldValue(entry, "MESSAGE"));
    for (const CJournalField& field : entry) {
        if (field.m_strName != "MESSAGE" && field.m_strName != "PRIORITY")
            text.append("\r\n").append(field.m_strName).append("=").append(field.m_strValue);
    }
    return text;
}

std::wstring WideFromBytes(std::string_view bytes)
{
    std::wstring wide = WideText(bytes, CP_UTF8, MB_ERR_INVALID_CHARS);
    return wide.empty() ? WideText(bytes, CP_ACP) : wide;
}

}  // namespace

CEventLogRecord EventLogRecord(const CJournalEntry& entry)
{
    const std::string_view priority = JournalFieldValue(entry, "PRIORITY");
    const int level = priority.empty() ? 6 : std::atoi(std::string(priority).c_str());
    CEventLogRecord record;
    if (level <= 3)
        record = {EVENTLOG_ERROR_TYPE, MSG_TELLVANE_ERROR, {}};
    else if (level == 4)
        record = {EVENTLOG_WARNING_TYPE, MSG_TELLVANE_WARNING, {}};
    else
        record = {EVENTLOG_INFORMATION_TYPE, MSG_TELLVANE_INFORMATION, {}};
    record.m_strText = WideFromBytes(EventText(entry));
    return record;
}

bool WriteJournalEntry(const CJournalEntry& entry)
{
    const HANDLE source = EventSource();
    if (!source)
        return false;
    const CEventLogRecord record = EventLogRecord(entry);
    const wchar_t* strings[] = {record.m_strText.c_str()};
    return ReportEventW(source, record.m_nType, 0, record.m_nEventId, nullptr, 1, 0, strings, nullptr) != FALSE;
}
