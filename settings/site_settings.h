// Two settings of the site's own, kept beside the eleven under the same key:
// whether events go to the site's log, and which users may send them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr char kJournalSetting[] = "gJournal";         // integer, default 1
inline constexpr char kSenderUidsSetting[] = "gSenderUids";   // text, default empty

extern int32_t gJournal;          // write events and the agent's own to the site's log
extern std::string gSenderUids;   // user ids allowed to send, e.g. "0,1000"; empty: everyone

// Reads both settings into their working copies.
void ReadSiteSettings();

// The user ids of a list such as "0, 1000"; nullopt, meaning everyone, for
// a list with nothing in it. A word that is not a user id allows nobody, so
// a mistyped list shuts senders out rather than letting everyone in.
std::optional<std::vector<int64_t>> ParseSenderUids(std::string_view list);
