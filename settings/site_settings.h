// Two settings of the site's own, kept beside the eleven under the same key:
// whether events go to the site's log, and which accounts may send them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr char kJournalSetting[] = "gJournal";         // integer, default 1
inline constexpr char kSenderUidsSetting[] = "gSenderUids";   // text, default empty

extern int32_t gJournal;          // write events and the agent's own to the site's log
extern std::string gSenderUids;   // accounts allowed to send, e.g. "0 1000" or "0,1000"; empty: everyone

// Reads both settings into their working copies.
void ReadSiteSettings();

// The words of a list of senders: separated by spaces, tabs or commas, in
// any mix; a word in double quotes may hold them ("DOMAIN\John Smith").
std::vector<std::string> SplitSenderList(std::string_view list);

// Whom a list of senders lets in. A word that names no account lets nobody
// in, so a mistyped list shuts senders out rather than letting everyone in.
struct CSenderList {
    bool m_bEveryone = true;         // the list has no words
    std::vector<std::string> m_ids;  // the accounts let in (see account.h)
    std::string m_strUnreadable;     // the first word that names no account

    // Whether a sender of the account may send; a sender whose account is
    // not known (empty) only where everyone may.
    bool Allows(const std::string& accountId) const;
};
CSenderList ParseSenderList(std::string_view list);
