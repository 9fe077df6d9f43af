#include <windows.h>

#include <cstdlib>

#include "journal.h"

namespace {

constexpr DWORD kEventId = 1;

// Registered once and kept: every entry of the process goes through it.
HANDLE EventSource()
{
    static const HANDLE source = RegisterEventSourceA(nullptr, "Tellvane");
    return source;
}

WORD EventType(std::string_view priority)
{
    const int level = priority.empty() ? 6 : std::atoi(std::string(priority).c_str());
    if (level <= 3)
        return EVENTLOG_ERROR_TYPE;
    return level == 4 ? EVENTLOG_WARNING_TYPE : EVENTLOG_INFORMATION_TYPE;
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

}  // namespace

bool WriteJournalEntry(const CJournalEntry& entry)
{
    const HANDLE source = EventSource();
    if (!source)
        return false;
    const std::string text = EventText(entry);
    const char* strings[] = {text.c_str()};
    return ReportEventA(source, EventType(JournalFieldValue(entry, "PRIORITY")), 0, kEventId, nullptr, 1, 0, strings,
                        nullptr)
           != FALSE;
}
