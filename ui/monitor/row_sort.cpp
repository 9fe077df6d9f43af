#include "row_sort.h"

#include <algorithm>
#include <string>

#include "pos_list.h"
#include "row_text.h"

void CSortState::Click(int clicked)
{
    direction = clicked == column ? -direction : 1;
    column = clicked;
}

namespace {

unsigned char FoldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c; }

int CompareNoCase(const std::string& a, const std::string& b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int diff = FoldAscii(static_cast<unsigned char>(a[i])) - FoldAscii(static_cast<unsigned char>(b[i]));
        if (diff != 0)
            return diff;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int Sign(int64_t v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

int BaseCompare(const CSimpleMessage& a, const CSimpleMessage& b, int column)
{
    switch (column) {
    case kColType: return Sign(int64_t{a.type} - int64_t{b.type});
    case kColDescription: return CompareNoCase(a.desc, b.desc);
    case kColLocking: return CompareNoCase(a.lockName, b.lockName);
    case kColDate: return CompareNoCase(DateTimeText(a), DateTimeText(b));
    default: return 0;
    }
}

}  // namespace

int CompareRows(const CSimpleMessage& a, const CSimpleMessage& b, const CSortState& state)
{
    return BaseCompare(a, b, state.column) * state.direction;
}

void SortRows(CMonitorRows& rows, const CSortState& state)
{
    ReadPosList(rows);
    std::stable_sort(rows.begin(), rows.end(), [&state](const CMonitorRow& a, const CMonitorRow& b) {
        return CompareRows(a.rec, b.rec, state) < 0;
    });
    WritePosList(rows);
}
