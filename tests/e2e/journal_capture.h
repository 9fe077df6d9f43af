// The site's log of a program a test runs, captured: the journal is the
// test's own socket, put where the library looks for it by a private mount
// namespace (tests that need it skip where none can be made).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QStringList>
#include <QTemporaryDir>

#include "program_run.h"

// One journal entry: its fields by name.
using CEntry = std::map<std::string, std::string>;

// A journal socket the test owns, in a folder of its own.
class CJournalSocket {
public:
    CJournalSocket();
    ~CJournalSocket();
    CJournalSocket(const CJournalSocket&) = delete;
    CJournalSocket& operator=(const CJournalSocket&) = delete;

    bool Bound() const { return m_bBound; }
    QString Folder() const { return m_dir.path(); }

    // Collects entries until done says so or time is up; every entry
    // received so far.
    std::vector<CEntry> ReceiveUntil(const std::function<bool(const std::vector<CEntry>&)>& done,
                                     int timeoutMs = 10000);

private:
    QTemporaryDir m_dir;
    int m_fd = -1;
    bool m_bBound = false;
    std::vector<CEntry> m_entries;
};

// The first of the agent's own lines of that kind (TELLVANE_AGENT), or null.
const CEntry* AgentLine(const std::vector<CEntry>& entries, const std::string& agent);
bool HasAgentLine(const std::vector<CEntry>& entries, const std::string& agent);

// The entries of stored events, in the order they came.
std::vector<CEntry> Events(const std::vector<CEntry>& entries);

// The program inside a private mount namespace, where the test's journal
// socket is the one the library writes to; setup, shell commands each
// followed by " && ", runs there first. unshare and sh each execute the
// next in place, so the process is the program.
std::unique_ptr<CProgramRun> RunWithJournal(const CProgramHome& home, const CJournalSocket& journal,
                                            const QStringList& namespaceOptions, const QString& setup = {});
