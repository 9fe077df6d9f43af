#include "site_settings.h"

#include <algorithm>

#include "account.h"
#include "registry.h"
#include "settings.h"

int32_t gJournal = 1;
std::string gSenderUids;

void ReadSiteSettings()
{
    gJournal = ReadSettingDword(kJournalSetting, 1);
    // A value of another kind than text (a number, binary data) names no
    // account; read as one word that names none, it lets nobody in.
    gSenderUids = RegReadList(UserSettingsRoot(), kSettingsPath, kSenderUidsSetting, "").value_or("\"(not a text)\"");
}

std::vector<std::string> SplitSenderList(std::string_view list)
{
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, inWord = false;
    for (const char c : list) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;  // "" is a word, if an empty one
        } else if (!quoted && (c == ' ' || c == '\t' || c == ',')) {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

CSenderList ParseSenderList(std::string_view list)
{
    CSenderList senders;
    for (const std::string& word : SplitSenderList(list)) {
        senders.m_bEveryone = false;
        const std::optional<std::string> id = AccountIdOf(word);
        if (!id) {
            senders.m_ids.clear();
            senders.m_strUnreadable = word;
            break;
        }
        senders.m_ids.push_back(*id);
    }
    return senders;
}

bool CSenderList::Allows(const std::string& accountId) const
{
    return m_bEveryone || std::find(m_ids.begin(), m_ids.end(), accountId) != m_ids.end();
}
