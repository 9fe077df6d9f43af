#include "site_settings.h"

#include <charconv>

#include "settings.h"

int32_t gJournal = 1;
std::string gSenderUids;

void ReadSiteSettings()
{
    gJournal = ReadSettingDword(kJournalSetting, 1);
    gSenderUids = ReadSettingString(kSenderUidsSetting, "");
}

std::optional<std::vector<int64_t>> ParseSenderUids(std::string_view list)
{
    std::vector<int64_t> uids;
    bool mistyped = false;
    std::size_t start = 0;
    while (start < list.size()) {
        std::size_t end = list.find_first_of(", \t", start);
        if (end == std::string_view::npos)
            end = list.size();
        const std::string_view word = list.substr(start, end - start);
        start = end + 1;
        if (word.empty())
            continue;
        int64_t uid = -1;
        const auto [rest, error] = std::from_chars(word.data(), word.data() + word.size(), uid);
        if (error != std::errc() || rest != word.data() + word.size() || uid < 0)
            mistyped = true;
        else
            uids.push_back(uid);
    }
    if (uids.empty() && !mistyped)
        return std::nullopt;
    if (mistyped)
        uids.clear();
    return uids;
}
