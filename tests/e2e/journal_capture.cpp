#include "journal_capture.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include <QDeadlineTimer>

namespace {

// One datagram of the journal's native protocol: NAME=value lines, or NAME,
// a newline, a 64-bit little-endian length and the value's bytes. A last
// line may lack its newline; a value cut short ends the entry.
CEntry ParseEntry(const std::string& bytes)
{
    CEntry entry;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = bytes.find_first_of("=\n", at);
        if (end == std::string::npos)
            break;
        const std::string name = bytes.substr(at, end - at);
        if (bytes[end] == '=') {
            const std::size_t line = std::min(bytes.find('\n', end), bytes.size());
            entry[name] = bytes.substr(end + 1, line - end - 1);
            at = line + 1;
            continue;
        }
        constexpr std::size_t kLengthBytes = 8;
        if (bytes.size() - (end + 1) < kLengthBytes)
            break;
        uint64_t length = 0;
        for (std::size_t i = kLengthBytes; i-- > 0;)
            length = length << 8 | static_cast<unsigned char>(bytes[end + 1 + i]);
        const std::size_t value = end + 1 + kLengthBytes;
        if (length > bytes.size() - value)
            break;
        entry[name] = bytes.substr(value, length);
        at = value + length + 1;
    }
    return entry;
}

}  // namespace

CJournalSocket::CJournalSocket()
{
    m_fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = (m_dir.path() + "/socket").toStdString();
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    m_bBound = bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

CJournalSocket::~CJournalSocket() { close(m_fd); }

std::vector<CEntry> CJournalSocket::ReceiveUntil(const std::function<bool(const std::vector<CEntry>&)>& done,
                                                 int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    pollfd waiting{m_fd, POLLIN, 0};
    while (!done(m_entries) && poll(&waiting, 1, static_cast<int>(deadline.remainingTime())) > 0) {
        char buffer[65536];
        const ssize_t size = recv(m_fd, buffer, sizeof buffer, 0);
        if (size > 0)
            m_entries.push_back(ParseEntry(std::string(buffer, static_cast<std::size_t>(size))));
    }
    return m_entries;
}

const CEntry* AgentLine(const std::vector<CEntry>& entries, const std::string& agent)
{
    for (const CEntry& entry : entries) {
        const auto it = entry.find("TELLVANE_AGENT");
        if (it != entry.end() && it->second == agent)
            return &entry;
    }
    return nullptr;
}

bool HasAgentLine(const std::vector<CEntry>& entries, const std::string& agent)
{
    return AgentLine(entries, agent) != nullptr;
}

std::vector<CEntry> Events(const std::vector<CEntry>& entries)
{
    std::vector<CEntry> events;
    for (const CEntry& entry : entries) {
        if (entry.count("TELLVANE_LEVEL"))
            events.push_back(entry);
    }
    return events;
}

std::unique_ptr<CProgramRun> RunWithJournal(const CProgramHome& home, const CJournalSocket& journal,
                                            const QStringList& namespaceOptions, const QString& setup)
{
    const QString script = setup + "mount -t tmpfs tmpfs /run && mkdir -p /run/systemd/journal"
                                   " && mount --bind \"$0\" /run/systemd/journal && exec \"$1\"";
    return std::make_unique<CProgramRun>(
        home.Environment(), namespaceOptions + QStringList{"--", "sh", "-c", script, journal.Folder(), TELLVANE_PATH},
        "unshare");
}

