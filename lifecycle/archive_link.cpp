#include "archive_link.h"

#include "archive_rows.h"
#include "archive_settings.h"
#include "save_marker.h"

namespace {

// When "OK" waits for the disk the writer's delay is the answer's, so it
// keeps its normal priority. Otherwise it gives way to intake, like the site
// log's thread: under a flood on two cores the connection threads answer
// first, and the writer, idle between its 20 ms commits, catches up from
// its queue. What a kill then loses is still only the last commits' texts
// (the kill tests pass with two other busy processes on the machine).
CEventArchiveOptions Options(const std::string& folder, std::function<void(const CArchiveReport&)> onReport)
{
    CEventArchiveOptions options;
    options.m_strFolder = folder;
    options.m_bFullSync = ArchiveFullSync();
    options.m_nKeepDays = gArchiveDays;
    options.m_bGiveWay = !AnswersWhenArchived();
    options.m_onReport = std::move(onReport);
    return options;
}

}  // namespace

CArchiveLink::CArchiveLink(const std::string& folder, std::function<void(const CArchiveReport&)> onReport)
    : m_strFolder(folder), m_bDurable(AnswersWhenArchived()), m_archive(Options(folder, std::move(onReport)))
{
}

void CArchiveLink::RecordSave(int64_t lastSeq, const std::string& dataFile)
{
    // Read back rather than hashed as written: the marker must describe
    // what the next start will find on disk.
    if (const auto print = FingerprintFile(dataFile))
        m_archive.RecordSave({lastSeq, *print});
}

uint64_t CArchiveLink::Append(int64_t seq, int64_t arrivalMs, const CPeer& sender, std::string_view text)
{
    return m_archive.Append(seq, arrivalMs, sender, std::string(text));
}

bool CArchiveLink::WaitWritten(uint64_t ticket) { return m_archive.WaitCommitted(ticket, kDurableAnswerWait); }

void CArchiveLink::Tell(int64_t seq, TextFate fate)
{
    m_archive.MarkRefused(seq, fate == TextFate::kDuplicate ? kTextDuplicate : kTextUnanswered);
}
