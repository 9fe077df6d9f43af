#include "journal.h"

std::string_view JournalFieldValue(const CJournalEntry& entry, std::string_view name)
{
    for (const CJournalField& field : entry) {
        if (field.m_strName == name)
            return field.m_strValue;
    }
    return {};
}
