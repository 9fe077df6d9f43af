#include <sys/uio.h>

#include <string>
#include <vector>

// The entry says where it comes from in its own fields.
#define SD_JOURNAL_SUPPRESS_LOCATION
#include <systemd/sd-journal.h>

#include "journal.h"

bool WriteJournalEntry(const CJournalEntry& entry)
{
    // NAME=value in one piece each, all in one buffer; the library frames
    // values that hold a newline (or any other byte) in the journal's binary
    // form by itself.
    std::size_t size = 0;
    for (const CJournalField& field : entry)
        size += field.m_strName.size() + 1 + field.m_strValue.size();
    std::string pieces;
    pieces.reserve(size);
    std::vector<iovec> fields;
    fields.reserve(entry.size());
    for (const CJournalField& field : entry) {
        const std::size_t start = pieces.size();
        pieces.append(field.m_strName).append(1, '=').append(field.m_strValue);
        fields.push_back({pieces.data() + start, pieces.size() - start});
    }
    return sd_journal_sendv(fields.data(), static_cast<int>(fields.size())) == 0;
}
