// How a History query ended.
#pragma once

#include <string>

enum class EHistoryResult {
    Ok,
    Interrupted,  // sqlite3_interrupt, or a caller's callback said stop
    Failed,       // the archive could not be read: m_strError says why
};

struct CHistoryStatus {
    EHistoryResult m_eResult = EHistoryResult::Ok;
    std::string m_strError;
    bool IsOk() const { return m_eResult == EHistoryResult::Ok; }
};
