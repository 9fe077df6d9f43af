// Windows accounts: a token's user, a SID as text and as a name. Shared by
// the endpoint's peers and the list of allowed senders.
#pragma once

#include <windows.h>

#include <string>

// The SID of the token's user as Windows writes it ("S-1-5-21-..."); empty
// when the token cannot be read.
std::string TokenUserSid(HANDLE token);

// The SID of the account a process runs under; empty when the process
// cannot be opened, as another user's usually cannot.
std::string ProcessUserSid(DWORD pid);

// DOMAIN\name of the account a SID names, in UTF-8; the SID itself when
// no name is known for it, and empty for an empty SID. May ask the domain's
// controller, so it belongs on a thread that can wait.
std::string AccountNameOfSid(const std::string& sid);
