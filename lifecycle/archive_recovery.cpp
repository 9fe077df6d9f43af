#include "archive_recovery.h"

#include "archive_reads.h"
#include "archive_rows.h"
#include "intake_queue.h"

namespace {

struct CReplayFrom {
    int64_t m_nAfter = 0;
    std::string m_strSkipped;  // why not; empty when the texts after m_nAfter are replayed
};

CReplayFrom Decide(const std::optional<CSaveMarker>& marker, const std::optional<CSaveMarker>& underWay,
                   const std::optional<CFileFingerprint>& dataFile, FileOutcome::Kind loaded)
{
    // Records read before the damage are in the store: replaying on top of
    // them could store an event twice.
    if (loaded == FileOutcome::Damaged || loaded == FileOutcome::OpenFailed)
        return {marker ? marker->m_nLastSeq : 0, "the data file could not be read whole and was set aside"};
    const auto describes = [&](const std::optional<CSaveMarker>& m) { return m && dataFile && *dataFile == m->m_File; };
    // Ended between a save's rename and the commit of its marker: the data
    // file is the one the save under way wrote.
    if (describes(underWay) && !describes(marker))
        return {underWay->m_nLastSeq, {}};
    if (!marker)
        return {};
    if (!dataFile)
        return {marker->m_nLastSeq, "there is no data file"};
    if (!describes(marker))
        return {marker->m_nLastSeq, "the data file is not the one Tellvane last saved"};
    return {marker->m_nLastSeq, {}};
}

}  // namespace

CRecoveryOutcome RecoverUnsavedTexts(const std::string& folder, const std::optional<CFileFingerprint>& dataFile,
                                     FileOutcome::Kind loaded)
{
    CRecoveryOutcome outcome;
    std::string error;
    const std::optional<CSaveMarker> marker = ReadSaveMarker(folder, &error);
    const std::optional<CSaveMarker> underWay =
        error.empty() ? ReadSaveMarker(folder, &error, SaveStage::kUnderWay) : std::nullopt;
    if (!error.empty()) {
        outcome.m_kind = CRecoveryOutcome::kSkipped;
        outcome.m_strReason = "the archive could not be read: " + error;
        return outcome;
    }
    const CReplayFrom from = Decide(marker, underWay, dataFile, loaded);
    if (!from.m_strSkipped.empty()) {
        // Said only when something was left out.
        const std::optional<int64_t> left = CountTextsAfter(folder, from.m_nAfter, error);
        outcome.m_nTexts = static_cast<std::size_t>(left.value_or(0));
        if (left.value_or(1) > 0) {
            outcome.m_kind = CRecoveryOutcome::kSkipped;
            outcome.m_strReason = from.m_strSkipped;
        }
        return outcome;
    }
    const bool read = ReadTextsAfter(folder, from.m_nAfter, [&](CArchivedText&& text) {
        // Its sender was not answered and sent it again: the copy that was
        // answered has a number of its own.
        if (text.m_nStatus == kTextUnanswered)
            return;
        ++outcome.m_nTexts;
        if (StoreRecoveredText(text.m_nSeq, text.m_strRaw) == AddVerdict::kStored)
            ++outcome.m_nStored;
    }, error);
    if (!read)
        outcome.m_strReason = "the rest could not be read: " + error;
    if (outcome.m_nTexts > 0 || !read)
        outcome.m_kind = CRecoveryOutcome::kRecovered;
    return outcome;
}

std::string RecoveredNotice(std::size_t events)
{
    return "Recovered " + std::to_string(events) + " events received before Tellvane last ended without saving";
}
