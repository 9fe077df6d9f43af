#include "archive_link.h"

#include "archive_rows.h"
#include "archive_settings.h"
#include "save_marker.h"

namespace {

// The writer keeps its normal priority, unlike the site log's thread: a text
// answered "OK" must reach the disk within milliseconds on a busy machine
// too, where a thread that gives way lags by hundreds of them (it would win
// a flood a little speed, at the cost of what a crash then loses).
CEventArchiveOptions Options(const std::string& folder, std::function<void(const CArchiveReport&)> onReport)
{
    CEventArchiveOptions options;
    options.m_strFolder = folder;
    options.m_bFullSync = ArchiveFullSync();
    options.m_nKeepDays = gArchiveDays;
    options.m_onReport = std::move(onReport);
    return options;
}

}  // namespace

CArchiveLink::CArchiveLink(const std::string& folder, std::function<void(const CArchiveReport&)> onReport)
    : m_strFolder(folder), m_bDurable(AnswersWhenArchived()), m_archive(Options(folder, std::move(onReport)))
{
}

void CArchiveLink::MarkSaveUnderWay(const CSaveMarker& marker)
{
    // Committed before the rename, so that a crash right after it finds the
    // new file described: one commit's wait, however many texts are queued.
    // A writer that takes longer (a failing disk) is not waited for: the
    // save goes on, as it would without an archive.
    m_archive.MarkSaveUnderWay(marker, kSaveMarkerWait);
}

void CArchiveLink::RecordSave(const CSaveMarker& marker) { m_archive.RecordSave(marker); }

uint64_t CArchiveLink::Append(int64_t seq, int64_t arrivalMs, const CPeer& sender, std::string_view text)
{
    return m_archive.Append(seq, arrivalMs, sender, std::string(text));
}

bool CArchiveLink::WaitWritten(uint64_t ticket) { return m_archive.WaitCommitted(ticket, kDurableAnswerWait); }

void CArchiveLink::Tell(int64_t seq, TextFate fate)
{
    m_archive.MarkRefused(seq, fate == TextFate::kDuplicate ? kTextDuplicate : kTextUnanswered);
}
