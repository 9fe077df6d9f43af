#include "row_text.h"

#include "string_table.h"

namespace {

constexpr std::array<int, kMonitorColumns> kHeaderIds = {IDS_COL_TYPE, IDS_COL_DESCRIPTION, IDS_COL_LOCKING, IDS_COL_DATE};

}  // namespace

std::string ColumnHeaderText(int column)
{
    if (column < 0 || column >= kMonitorColumns)
        return {};
    return std::string(LoadStringText(kHeaderIds[column]));
}

std::string DateTimeText(const CSimpleMessage& rec) { return rec.date + " " + rec.time; }

std::string CellText(const CSimpleMessage& rec, int column)
{
    switch (column) {
    case kColType: return TypeText(rec.level);
    case kColDescription: return rec.desc;
    case kColLocking: return rec.lockName;
    case kColDate: return DateTimeText(rec);
    default: return {};
    }
}
