#include "seq_set.h"

#include <sqlite3.h>

#include <algorithm>

namespace {

constexpr const char* kPointerType = "tellvane_seq_set";

void HistoryIn(sqlite3_context* context, int, sqlite3_value** arguments)
{
    const auto* set = static_cast<const CSeqSet*>(sqlite3_value_pointer(arguments[1], kPointerType));
    sqlite3_result_int(context, set && set->Contains(sqlite3_value_int64(arguments[0])) ? 1 : 0);
}

}  // namespace

CSeqSet::CSeqSet(std::vector<int64_t> seqs) : m_nSize(seqs.size())
{
    if (seqs.empty())
        return;
    const uint64_t span = static_cast<uint64_t>(seqs.back()) - static_cast<uint64_t>(seqs.front());
    if (span / 64 + 1 <= seqs.size()) {
        m_nFirst = seqs.front();
        m_Bits.assign(span / 64 + 1, 0);
        for (int64_t seq : seqs) {
            const uint64_t bit = static_cast<uint64_t>(seq) - static_cast<uint64_t>(m_nFirst);
            m_Bits[bit / 64] |= uint64_t{1} << (bit % 64);
        }
    } else {
        m_Sorted = std::move(seqs);
    }
}

bool CSeqSet::Contains(int64_t seq) const
{
    if (!m_Bits.empty()) {
        if (seq < m_nFirst)
            return false;
        const uint64_t bit = static_cast<uint64_t>(seq) - static_cast<uint64_t>(m_nFirst);
        return bit / 64 < m_Bits.size() && (m_Bits[bit / 64] >> (bit % 64) & 1);
    }
    return std::binary_search(m_Sorted.begin(), m_Sorted.end(), seq);
}

size_t CSeqSet::HeldBytes() const
{
    return m_Bits.capacity() * sizeof(uint64_t) + m_Sorted.capacity() * sizeof(int64_t);
}

int RegisterSeqSetFunction(sqlite3* db)
{
    return sqlite3_create_function_v2(db, "history_in", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_DIRECTONLY,
                                      nullptr, HistoryIn, nullptr, nullptr, nullptr);
}

int BindSeqSet(sqlite3_stmt* statement, int index, const CSeqSet& set)
{
    return sqlite3_bind_pointer(statement, index, const_cast<CSeqSet*>(&set), kPointerType, nullptr);
}
