// Accounts as a list of allowed senders names them. An account is a user id
// ("1000") where the system has them, and a SID ("S-1-5-21-...") on Windows,
// where the list may also name it DOMAIN\name (or name alone).
#pragma once

#include <optional>
#include <string>
#include <string_view>

// What the list's words must be, for messages: "a user id" or "an account".
extern const std::string_view kAccountWordKind;

// The account word names, in the one form a peer's account is compared in:
// the user id in decimal, or the SID as Windows writes it. Nothing when the
// word names no account (a negative number, a name nobody has). A Windows
// name may be asked of the domain's controller, so this can take a while.
std::optional<std::string> AccountIdOf(std::string_view word);
