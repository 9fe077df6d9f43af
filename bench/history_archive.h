// The archive the History benchmarks read: 1,000,000 generated events spread
// over three years, built once into a temporary file that goes when the
// program ends, or kept at $TELLVANE_HISTORY_ARCHIVE and reused by the
// next run.
//
// Threads: any, once BenchArchive() has returned on one.
#pragma once

#include <cstdint>
#include <string>

#include "history_reader.h"

struct sqlite3;

class CBenchArchive {
public:
    static constexpr size_t kEvents = 1000000;

    CBenchArchive();
    ~CBenchArchive();
    CBenchArchive(const CBenchArchive&) = delete;
    CBenchArchive& operator=(const CBenchArchive&) = delete;

    const std::string& Path() const { return m_strPath; }
    // The newest event time, which the ranges of the cases end at.
    int64_t Last() const { return m_nLast; }
    // A read-only connection of the benchmark's own.
    sqlite3* Db() const { return m_Reader.m_Db.get(); }

private:
    std::string m_strPath;
    bool m_bTemporary = false;
    int64_t m_nLast = 0;
    CHistoryReader m_Reader;
};

// Built on the first call; an archive that cannot be built or opened ends
// the program with the reason.
CBenchArchive& BenchArchive();
