// The site's log: the systemd journal on Linux, the Application event log on
// Windows. An entry is a list of named fields; MESSAGE and PRIORITY (syslog
// levels, 0 emergency to 7 debug) carry the line people read, the rest is
// for filters and forwarding.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct CJournalField {
    std::string_view m_strName;  // one of the log's fixed names: a literal
    std::string m_strValue;      // bytes, sent as they are
};
using CJournalEntry = std::vector<CJournalField>;

// Writes one entry. May block while the log is busy, so it belongs on a
// thread of its own. False when the log did not take it.
bool WriteJournalEntry(const CJournalEntry& entry);

// The value of the first field called name, or empty.
std::string_view JournalFieldValue(const CJournalEntry& entry, std::string_view name);
