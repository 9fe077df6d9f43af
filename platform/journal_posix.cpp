#include <sys/uio.h>

// The entry says where it comes from in its own fields.
#define SD_JOURNAL_SUPPRESS_LOCATION
#include <systemd/sd-journal.h>

#include "journal.h"

bool WriteJournalEntry(const CJournalEntry& entry)
{
    // NAME=value in one piece each; the library frames values that hold a
    // newline (or any other byte) in the journal's binary form by itself.
    std::vector<std::string> pieces;
    std::vector<iovec> fields;
    pieces.reserve(entry.size());
    fields.reserve(entry.size());
    for (const CJournalField& field : entry) {
        pieces.push_back(field.m_strName + "=" + field.m_strValue);
        fields.push_back({pieces.back().data(), pieces.back().size()});
    }
    return sd_journal_sendv(fields.data(), static_cast<int>(fields.size())) == 0;
}
