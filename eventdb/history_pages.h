// What the History list holds of a listing: the pages around the rows it
// shows, and the key each page starts after. A million matches cost the
// keys of 2,000 pages and the rows of the held pages, never the rows of
// all of them: a page that was let go is fetched again from its key.
//
// Plain data for the window's model, on the GUI thread; the rows arrive
// from the worker by value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "history_query.h"

class CHistoryPages {
public:
    explicit CHistoryPages(size_t pageSize = 500, size_t heldPages = 8);

    // Forgets everything, for a new query.
    void Reset();

    size_t PageSize() const { return m_nPageSize; }
    size_t PageOf(int64_t row) const { return static_cast<size_t>(row) / m_nPageSize; }

    // The ends of all pages, from CHistoryQuery::PageEnds.
    void SetPageEnds(const std::vector<CHistoryKey>& ends);

    // Whether page can be fetched now: the first always, a later one once
    // the page before it was held or the ends are known. startAfter is the
    // key to give CHistoryQuery::Page (no value for the first page).
    bool StartOf(size_t page, std::optional<CHistoryKey>& startAfter) const;

    // Holds a fetched page, lets go of the least recently used one beyond
    // the limit, and learns where the page ends (lastKey, the key of its
    // last row) when it is full.
    void Store(size_t page, std::vector<CHistoryRow> rows, const CHistoryKey& lastKey);

    // The row, or nullptr when its page is not held (fetch it).
    const CHistoryRow* Row(int64_t row);

    size_t HeldPages() const;
    size_t HeldBytes() const;

private:
    struct CHeldPage {
        size_t m_nPage = 0;
        uint64_t m_nLastUse = 0;
        std::vector<CHistoryRow> m_Rows;
    };
    size_t m_nPageSize;
    size_t m_nHeldPages;
    uint64_t m_nUse = 0;
    std::vector<CHeldPage> m_Held;
    std::vector<std::optional<CHistoryKey>> m_Ends;  // m_Ends[p]: the last key of page p
};
