#include "history_filter.h"

#include <utility>

CHistoryFilter NormalizedFilter(CHistoryFilter filter)
{
    if (filter.m_nFrom && filter.m_nTo && *filter.m_nFrom > *filter.m_nTo)
        std::swap(filter.m_nFrom, filter.m_nTo);
    return filter;
}
