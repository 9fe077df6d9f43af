// A set of sequence numbers that a statement tests rows against: the events
// the full-text search found, or the refused texts. Tested from an index
// entry (seq is every index's last column), it spares reading the row.
//
// SQL: history_in(seq, ?) is 1 when seq is in the set bound to ? with
// BindSeqSet, else 0. The set must outlive the statement's run. Built on
// one thread, then only read: a statement may test it on any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

class CSeqSet {
public:
    // seqs in ascending order.
    explicit CSeqSet(std::vector<int64_t> seqs = {});

    bool Contains(int64_t seq) const;
    size_t Size() const { return m_nSize; }
    size_t HeldBytes() const;

private:
    // A bitmap over [m_nFirst, last] when that is no larger than the
    // sorted list, which dense sets (a common word) always are.
    int64_t m_nFirst = 0;
    std::vector<uint64_t> m_Bits;
    std::vector<int64_t> m_Sorted;
    size_t m_nSize = 0;
};

// Makes history_in known to db; a connection needs it once.
int RegisterSeqSetFunction(sqlite3* db);

// Binds set to parameter index of statement for history_in.
int BindSeqSet(sqlite3_stmt* statement, int index, const CSeqSet& set);
