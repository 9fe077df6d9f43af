// Who is at the other end of the event endpoint: the process that sent a
// text, or the process that holds the endpoint's name. Shared by the server
// and the senders; one file per platform answers it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

struct CPeer {
    CPeer() = default;
    CPeer(int64_t pid, int64_t uid, std::string sid = {}) : m_nPid(pid), m_nUid(uid), m_strSid(std::move(sid)) {}

    int64_t m_nPid = -1;  // -1: not known
    int64_t m_nUid = -1;  // -1: not known (always so for a Windows pipe)
    // The account as Windows names it, "S-1-5-21-..."; empty where the
    // system has user ids instead, or when not known.
    std::string m_strSid;

    bool operator==(const CPeer&) const = default;
};

// The process at the other end of a connected socket descriptor or pipe
// HANDLE. A server asks about its client, a sender about its server.
CPeer PeerOfClient(std::intptr_t connection);
CPeer PeerOfServer(std::intptr_t connection);

// Adds to a client's peer what its server learns only once it has read
// from the connection: the account of a Windows pipe's client. Nothing to
// add elsewhere, where the user id came with the connection. Asks no user
// database, so a connection thread may call it.
void LearnClientAccount(std::intptr_t connection, CPeer& peer);

// The process that listens under name. Where the system lists its sockets
// and their owners (Linux's /proc), it is found there without connecting,
// so a holder that never accepts is named too; else, or when the list does
// not tell, by connecting once without waiting. A holder found neither way
// stays unknown (pid -1); no squatter can stall the caller. Every process
// may have to be looked through, so ask now and then, not per message;
// likelyPid, the holder found last time, is looked at first.
CPeer FindEndpointHolder(const std::string& name, int64_t likelyPid = -1);

// The account a peer runs under, for people to read: the login name, else
// the number (DOMAIN\name, else the SID, on Windows); empty when not known.
// It may ask the system's user databases (files, but also directory
// services), so it belongs on a thread with a full stack and time to spare,
// never on a connection thread.
std::string PeerUserName(const CPeer& peer);

// The peer's account as a list of allowed senders names it (see
// account.h): the user id, or on Windows the SID; empty when not known.
std::string PeerAccountId(const CPeer& peer);

// The calling process's user id; -1 where there is none (Windows).
int64_t CurrentUserId();
