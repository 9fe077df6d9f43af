#include "history_pages.h"

#include <algorithm>
#include <functional>

namespace {

// A short text lives inside the string object and costs nothing more.
bool IsInside(const std::string& text)
{
    const auto* object = reinterpret_cast<const char*>(&text);
    return !std::less<>()(text.data(), object) && std::less<>()(text.data(), object + sizeof text);
}

}  // namespace

CHistoryPages::CHistoryPages(size_t pageSize, size_t heldPages)
    : m_nPageSize(std::max<size_t>(pageSize, 1)), m_nHeldPages(std::max<size_t>(heldPages, 1))
{
}

void CHistoryPages::Reset()
{
    m_Held.clear();
    m_Ends.clear();
}

void CHistoryPages::SetPageEnds(const std::vector<CHistoryKey>& ends)
{
    m_Ends.assign(ends.begin(), ends.end());
}

bool CHistoryPages::StartOf(size_t page, std::optional<CHistoryKey>& startAfter) const
{
    startAfter.reset();
    if (page == 0)
        return true;
    if (page > m_Ends.size() || !m_Ends[page - 1])
        return false;
    startAfter = m_Ends[page - 1];
    return true;
}

void CHistoryPages::Store(size_t page, std::vector<CHistoryRow> rows, const CHistoryKey& lastKey)
{
    if (rows.size() == m_nPageSize) {
        if (m_Ends.size() <= page)
            m_Ends.resize(page + 1);
        m_Ends[page] = lastKey;
    }
    std::erase_if(m_Held, [&](const CHeldPage& held) { return held.m_nPage == page; });
    if (m_Held.size() >= m_nHeldPages)
        m_Held.erase(std::min_element(m_Held.begin(), m_Held.end(), [](const CHeldPage& a, const CHeldPage& b) {
            return a.m_nLastUse < b.m_nLastUse;
        }));
    m_Held.push_back({page, ++m_nUse, std::move(rows)});
}

const CHistoryRow* CHistoryPages::Row(int64_t row)
{
    if (row < 0)
        return nullptr;
    const size_t page = PageOf(row);
    for (CHeldPage& held : m_Held) {
        if (held.m_nPage != page)
            continue;
        const size_t index = static_cast<size_t>(row) % m_nPageSize;
        if (index >= held.m_Rows.size())
            return nullptr;
        held.m_nLastUse = ++m_nUse;
        return &held.m_Rows[index];
    }
    return nullptr;
}

size_t CHistoryPages::HeldPages() const
{
    return m_Held.size();
}

size_t CHistoryPages::HeldBytes() const
{
    size_t bytes = m_Ends.capacity() * sizeof(m_Ends[0]) + m_Held.capacity() * sizeof(CHeldPage);
    for (const CHeldPage& held : m_Held) {
        bytes += held.m_Rows.capacity() * sizeof(CHistoryRow);
        for (const CHistoryRow& row : held.m_Rows) {
            for (const std::string* text : {&row.m_strDescription, &row.m_strLocking, &row.m_strLockingSystem,
                                            &row.m_strTransponderName, &row.m_strName})
                if (!IsInside(*text))
                    bytes += text->capacity() + 1;
        }
    }
    return bytes;
}
