// How an entry of the site's log goes into the Application event log: its
// type and event id by priority, its text in UTF-16 (read as UTF-8 where it
// is valid UTF-8, else in the system's ANSI code page, as on screen). The
// event ids are those of tellvane.exe's message table, whose every message
// is the entry itself.
#pragma once

#include <windows.h>

#include <string>

#include "journal.h"

struct CEventLogRecord {
    WORD m_nType = EVENTLOG_INFORMATION_TYPE;
    DWORD m_nEventId = 0;
    std::wstring m_strText;  // the readable line, then every other field as NAME=value
};

CEventLogRecord EventLogRecord(const CJournalEntry& entry);
