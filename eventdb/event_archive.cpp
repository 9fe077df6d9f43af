#include "event_archive.h"

#include <sqlite3.h>

#include <algorithm>
#include <condition_variable>
#include <iterator>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "archive_open.h"
#include "archive_rows.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The first wait after a failed commit; it doubles up to the options' most.
constexpr milliseconds kFirstRetryWait{50};

// Retention runs at most this often, in batches small enough that texts
// waiting behind one wait a few milliseconds.
constexpr auto kRetentionInterval = std::chrono::hours(1);
constexpr int kRetentionBatch = 500;
constexpr int kVacuumPages = 256;
constexpr int64_t kMsPerDay = 86400000;

// One queued operation. Texts are most of them; the other two are rare.
struct COp {
    enum Kind : uint8_t { kText, kStatus, kSave };
    Kind m_kind = kText;
    int m_nStatus = 0;
    int64_t m_nSeq = 0;  // kSave: the last number the save covered
    int64_t m_nArrivalMs = 0;
    // The sender's process and user, as the row keeps them: not its account,
    // which would cost a copy per text on the connection's thread.
    int64_t m_nSenderPid = -1, m_nSenderUid = -1;
    CFileFingerprint m_File;
    std::string m_strText;
};

// A text whose number the archive holds already is not written again; the
// rest of its batch is.
bool IsDuplicateNumber(int rc) { return (rc & 0xff) == SQLITE_CONSTRAINT; }

}  // namespace

struct CEventArchive::CWriter {
    enum class Step { kWait, kReopen, kCommit, kTidy, kStop };

    explicit CWriter(CEventArchiveOptions options) : m_options(std::move(options)) {}

    void Open();
    void Run();
    Step NextStep(Clock::time_point now, Clock::time_point& until);
    void Reopen();
    void CommitTaken(bool lastTry);
    void Tidy();
    void FinalDrain();
    void Failed(int rc, std::vector<CArchiveReport>& reports);
    void DiscardDamaged(std::vector<CArchiveReport>& reports);
    void Report(std::vector<CArchiveReport>& reports) const;
    int64_t LowestWaitingSeq();
    COp& Queue(COp::Kind kind);
    bool Adopt(CArchiveOpening& opening, std::vector<CArchiveReport>& reports);

    const CEventArchiveOptions m_options;
    CArchiveOpened m_opened;
    // The number this run's texts count from: one past the first opening's
    // highest, 1 when that opening failed.
    int64_t m_nRunFirstSeq = 1;
    std::thread m_thread;

    // Guarded by m_mutex.
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;       // the writer waits on it
    std::condition_variable m_committed;  // WaitCommitted and Flush wait on it
    std::vector<COp> m_queue;
    Clock::time_point m_tFirstQueued;
    std::size_t m_nUncommittedTexts = 0;  // queued or taken, not yet committed
    uint64_t m_nDroppedTold = 0;
    int m_nHurry = 0;                     // callers waiting for a commit
    uint64_t m_nQueuedOps = 0;
    uint64_t m_nDoneOps = 0;
    // The save under way, written at the start of the next transaction
    // rather than behind what waits; and how many were asked for and done.
    std::optional<CSaveMarker> m_UnderWay;
    uint64_t m_nUnderWayAsked = 0;
    uint64_t m_nUnderWayDone = 0;
    bool m_bFailing = false;
    std::string m_strReason;
    bool m_bStopping = false;
    bool m_bStopped = false;
    CEventArchiveStats m_stats;

    // The writer's own (the constructor's until the thread starts).
    CSqliteDb m_db;
    std::unique_ptr<CArchiveRows> m_pRows;
    std::vector<COp> m_taken;  // swapped out of m_queue, committed from m_nTakenPos on
    std::size_t m_nTakenPos = 0;
    Clock::time_point m_tReopen;
    Clock::time_point m_tRetry;
    milliseconds m_RetryWait = kFirstRetryWait;
    Clock::time_point m_tRetention;
    bool m_bRetentionRunning = false;
    int64_t m_nRetentionCutoffMs = 0;
    bool m_bVacuumWanted = false;
};

// ---- Opening -------------------------------------------------------------

// Takes over an opened archive unless its numbers clash with this run's:
// it then holds a number the run gives out too (it is an archive the first
// opening could not read, and the run counts from 1), or one of a text that
// waits. It is set aside like a damaged one, as adopting it would let its
// rows silently stand in for this run's texts of the same numbers.
bool CEventArchive::CWriter::Adopt(CArchiveOpening& opening, std::vector<CArchiveReport>& reports)
{
    if (!opening.m_db)
        return false;
    const int64_t lowest = LowestWaitingSeq();
    if (opening.m_nHighestSeq >= m_nRunFirstSeq || (lowest > 0 && opening.m_nHighestSeq >= lowest)) {
        opening = CArchiveOpening();
        std::string reason;
        const std::string aside = SetArchiveAside(ArchivePath(m_options.m_strFolder), reason);
        if (aside.empty()) {
            opening.m_strReason = reason;
            return false;
        }
        reports.push_back({CArchiveReport::kSetAside, aside, 0,
                           "holds numbers this run gives out again (it could not be opened at start)"});
        opening = OpenArchive(m_options.m_strFolder, m_options.m_bFullSync);
        if (!opening.m_db)
            return false;
    }
    if (m_options.m_onOpened)
        m_options.m_onOpened(opening.m_db.get());
    m_pRows = std::move(opening.m_pRows);
    m_db = std::move(opening.m_db);
    return true;
}

// The lowest number among the texts that wait; 0 when none does.
int64_t CEventArchive::CWriter::LowestWaitingSeq()
{
    int64_t lowest = 0;
    const auto see = [&lowest](const COp& op) {
        if (op.m_kind == COp::kText && (lowest == 0 || op.m_nSeq < lowest))
            lowest = op.m_nSeq;
    };
    std::for_each(m_taken.begin() + static_cast<std::ptrdiff_t>(m_nTakenPos), m_taken.end(), see);
    std::lock_guard<std::mutex> lock(m_mutex);
    std::for_each(m_queue.begin(), m_queue.end(), see);
    return lowest;
}

void CEventArchive::CWriter::Open()
{
    CArchiveOpening opening = OpenArchive(m_options.m_strFolder, m_options.m_bFullSync);
    m_opened.m_nHighestSeq = opening.m_nHighestSeq;
    m_nRunFirstSeq = opening.m_nHighestSeq + 1;
    m_opened.m_strSetAside = opening.m_strSetAside;
    std::vector<CArchiveReport> ignored;  // nothing waits yet, so nothing clashes
    m_opened.m_bOpen = Adopt(opening, ignored);
    m_opened.m_strReason = opening.m_strReason;
    m_bFailing = m_stats.m_bFailing = !m_opened.m_bOpen;
    m_strReason = m_opened.m_strReason;
    const Clock::time_point now = Clock::now();
    m_tReopen = now + m_options.m_ReopenWait;
    m_tRetention = now;  // the first pass as soon as the writer is idle
}

void CEventArchive::CWriter::Reopen()
{
    std::vector<CArchiveReport> reports;
    CArchiveOpening opening = OpenArchive(m_options.m_strFolder, m_options.m_bFullSync);
    if (!opening.m_strSetAside.empty())
        reports.push_back({CArchiveReport::kSetAside, opening.m_strSetAside, 0});
    const bool open = Adopt(opening, reports);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (open) {
            m_tRetry = Clock::now();
            m_RetryWait = kFirstRetryWait;
            if (m_bFailing)
                reports.push_back({CArchiveReport::kWorking, {}, 0});
            m_bFailing = m_stats.m_bFailing = false;
            m_strReason.clear();
        } else {
            m_tReopen = Clock::now() + m_options.m_ReopenWait;
            if (!m_bFailing || m_strReason != opening.m_strReason)
                reports.push_back({CArchiveReport::kFailing, opening.m_strReason, 0});
            m_bFailing = m_stats.m_bFailing = true;
            m_strReason = opening.m_strReason;
        }
    }
    Report(reports);
}

// ---- The writer's loop ---------------------------------------------------

CEventArchive::CWriter::Step CEventArchive::CWriter::NextStep(Clock::time_point now, Clock::time_point& until)
{
    if (m_bStopping)
        return Step::kStop;
    if (!m_db) {
        until = m_tReopen;
        return now >= m_tReopen ? Step::kReopen : Step::kWait;
    }
    if (m_nTakenPos < m_taken.size()) {
        until = m_tRetry;
        return now >= m_tRetry ? Step::kCommit : Step::kWait;
    }
    if (!m_queue.empty() || m_UnderWay) {
        const Clock::time_point due = m_tFirstQueued + kArchiveCommitDelay;
        if (m_UnderWay || m_nHurry > 0 || m_queue.size() >= kArchiveBatchLimit || now >= due) {
            m_taken.clear();
            m_nTakenPos = 0;
            m_taken.swap(m_queue);
            return Step::kCommit;
        }
        until = due;
    } else {
        until = Clock::time_point::max();
    }
    // Tidying only while nobody waits for a commit.
    const bool retentionDue = m_options.m_nKeepDays > 0 && (m_bRetentionRunning || now >= m_tRetention);
    if (m_nHurry == 0 && (retentionDue || m_bVacuumWanted))
        return Step::kTidy;
    if (m_options.m_nKeepDays > 0)
        until = std::min(until, m_tRetention);
    return Step::kWait;
}

void CEventArchive::CWriter::Run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        Clock::time_point until;
        const Step step = NextStep(Clock::now(), until);
        if (step == Step::kStop)
            break;
        if (step == Step::kWait) {
            if (until == Clock::time_point::max())
                m_wake.wait(lock);
            else
                m_wake.wait_until(lock, until);
            continue;
        }
        lock.unlock();
        switch (step) {
        case Step::kReopen: Reopen(); break;
        case Step::kCommit: CommitTaken(false); break;
        case Step::kTidy: Tidy(); break;
        default: break;
        }
        lock.lock();
    }
    lock.unlock();
    FinalDrain();
    lock.lock();
    m_bStopped = true;
    m_committed.notify_all();
}

// Commits the next batch of taken operations in one transaction.
void CEventArchive::CWriter::CommitTaken(bool lastTry)
{
    const std::size_t end = std::min(m_taken.size(), m_nTakenPos + kArchiveBatchLimit);
    std::size_t texts = 0;
    std::optional<CSaveMarker> underWay;
    uint64_t underWayAsked = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        underWay = m_UnderWay;
        underWayAsked = m_nUnderWayAsked;
    }
    int rc = m_pRows->Begin();
    if (rc == SQLITE_OK && underWay)
        rc = m_pRows->RecordSave(*underWay, SaveStage::kUnderWay);
    for (std::size_t i = m_nTakenPos; i < end && rc == SQLITE_OK; ++i) {
        const COp& op = m_taken[i];
        switch (op.m_kind) {
        case COp::kText:
            rc = m_pRows->InsertText(op.m_nSeq, op.m_nArrivalMs, {op.m_nSenderPid, op.m_nSenderUid}, op.m_strText);
            if (IsDuplicateNumber(rc))
                rc = SQLITE_OK;
            ++texts;
            break;
        case COp::kStatus: rc = m_pRows->SetStatus(op.m_nSeq, op.m_nStatus); break;
        case COp::kSave: rc = m_pRows->RecordSave({op.m_nSeq, op.m_File}, SaveStage::kDone); break;
        }
    }
    if (rc == SQLITE_OK)
        rc = m_pRows->Commit();
    if (rc != SQLITE_OK)
        m_pRows->Rollback();

    std::vector<CArchiveReport> reports;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (rc != SQLITE_OK) {
            Failed(rc, reports);
            if (lastTry)
                m_nTakenPos = m_taken.size();
        } else {
            const std::size_t ops = end - m_nTakenPos;
            m_nTakenPos = end;
            m_nUncommittedTexts -= texts;
            m_nDoneOps += ops;
            m_stats.m_nCommittedTexts += texts;
            ++m_stats.m_nCommits;
            m_stats.m_nLargestCommit = std::max<uint64_t>(m_stats.m_nLargestCommit, ops);
            if (underWay) {
                m_nUnderWayDone = underWayAsked;
                if (m_nUnderWayAsked == underWayAsked)
                    m_UnderWay.reset();
            }
            m_RetryWait = kFirstRetryWait;
            if (m_bFailing) {
                m_bFailing = m_stats.m_bFailing = false;
                m_strReason.clear();
                reports.push_back({CArchiveReport::kWorking, {}, 0});
            }
            // Told once there is room again, as one report for the lot.
            if (m_stats.m_nDropped > m_nDroppedTold && m_nUncommittedTexts < m_options.m_nQueueLimit) {
                reports.push_back({CArchiveReport::kDropped, {}, m_stats.m_nDropped - m_nDroppedTold});
                m_nDroppedTold = m_stats.m_nDropped;
            }
        }
        m_committed.notify_all();
    }
    if (IsDamage(rc))
        DiscardDamaged(reports);
    Report(reports);
}

// Called with m_mutex held after a failed transaction; the batch stays.
void CEventArchive::CWriter::Failed(int rc, std::vector<CArchiveReport>& reports)
{
    const std::string reason = ArchivePath(m_options.m_strFolder) + ": " + ErrorText(m_db.get());
    if (!m_bFailing || m_strReason != reason)
        reports.push_back({CArchiveReport::kFailing, reason, 0});
    m_bFailing = m_stats.m_bFailing = true;
    m_strReason = reason;
    if (IsDamage(rc))
        return;  // DiscardDamaged follows
    m_tRetry = Clock::now() + m_RetryWait;
    m_RetryWait = std::min(m_RetryWait * 2, m_options.m_RetryWaitMax);
}

// The file went bad under the writer: it is closed and set aside, and a new
// archive takes what waits. Opening alone would not notice: its check reads
// only the ends of the file.
void CEventArchive::CWriter::DiscardDamaged(std::vector<CArchiveReport>& reports)
{
    m_pRows.reset();
    m_db.reset();
    std::string reason;
    const std::string aside = SetArchiveAside(ArchivePath(m_options.m_strFolder), reason);
    if (!aside.empty())
        reports.push_back({CArchiveReport::kSetAside, aside, 0});
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tReopen = aside.empty() ? Clock::now() + m_options.m_ReopenWait : Clock::now();
}

// One small step of retention or of giving freed pages back, between
// commits, never while a caller waits for one.
void CEventArchive::CWriter::Tidy()
{
    sqlite3* const db = m_db.get();
    if (m_options.m_nKeepDays > 0 && (m_bRetentionRunning || Clock::now() >= m_tRetention)) {
        if (!m_bRetentionRunning) {
            m_bRetentionRunning = true;
            m_nRetentionCutoffMs = ArchiveNowMs() - int64_t{m_options.m_nKeepDays} * kMsPerDay;
        }
        int64_t deleted = 0;
        int rc = m_pRows->Begin();
        if (rc == SQLITE_OK)
            rc = m_pRows->DeleteArrivedBefore(m_nRetentionCutoffMs, kRetentionBatch, deleted);
        if (rc == SQLITE_OK)
            rc = m_pRows->Commit();
        if (rc != SQLITE_OK) {
            m_pRows->Rollback();
            deleted = 0;  // tried again at the next pass; a commit tells of lasting trouble
        }
        if (IsDamage(rc)) {
            std::vector<CArchiveReport> reports;
            DiscardDamaged(reports);
            Report(reports);
            return;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stats.m_nDeletedOld += static_cast<uint64_t>(deleted);
        if (deleted < kRetentionBatch) {
            m_bRetentionRunning = false;
            m_tRetention = Clock::now() + kRetentionInterval;
            m_bVacuumWanted = true;
            ++m_stats.m_nRetentionPasses;
        }
        return;
    }
    const std::string vacuum = "PRAGMA incremental_vacuum(" + std::to_string(kVacuumPages) + ")";
    if (Exec(db, vacuum.c_str()) != SQLITE_OK || QueryInt(db, "PRAGMA freelist_count") == 0)
        m_bVacuumWanted = false;
}

// At stop: everything queued, in batches; a batch that fails is given one
// more try, then the rest is left.
void CEventArchive::CWriter::FinalDrain()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_taken.erase(m_taken.begin(), m_taken.begin() + static_cast<std::ptrdiff_t>(m_nTakenPos));
        m_nTakenPos = 0;
        std::move(m_queue.begin(), m_queue.end(), std::back_inserter(m_taken));
        m_queue.clear();
    }
    int failures = 0;
    while (m_nTakenPos < m_taken.size() && failures < 2) {
        if (!m_db)
            Reopen();
        if (!m_db)
            break;
        const std::size_t before = m_nTakenPos;
        CommitTaken(failures == 1);
        if (m_nTakenPos == before)
            ++failures;
    }
    m_pRows.reset();
    m_db.reset();
}

void CEventArchive::CWriter::Report(std::vector<CArchiveReport>& reports) const
{
    if (!m_options.m_onReport)
        return;
    for (const CArchiveReport& report : reports)
        m_options.m_onReport(report);
}

// Adds an operation at the tail; the caller holds m_mutex.
COp& CEventArchive::CWriter::Queue(COp::Kind kind)
{
    if (m_queue.empty())
        m_tFirstQueued = Clock::now();
    COp& op = m_queue.emplace_back();
    op.m_kind = kind;
    ++m_nQueuedOps;
    // The writer sleeps until the first operation's 20 ms are up or a batch
    // is full; waking it for every text of a flood would cost a system call
    // each.
    if (m_queue.size() == 1 || m_queue.size() == kArchiveBatchLimit)
        m_wake.notify_one();
    return op;
}

// ---- The interface -------------------------------------------------------

CEventArchive::CEventArchive(CEventArchiveOptions options) : m_pWriter(std::make_unique<CWriter>(std::move(options)))
{
    CWriter& w = *m_pWriter;
    w.Open();
    w.m_queue.reserve(kArchiveBatchLimit);
    w.m_taken.reserve(kArchiveBatchLimit);
    try {
        w.m_thread = std::thread([&w] { w.Run(); });
    } catch (const std::system_error&) {
        // Without its thread nothing is archived: texts queue up to the
        // limit and are dropped beyond it, intake goes on.
        w.m_pRows.reset();
        w.m_db.reset();
        w.m_bStopped = true;
        w.m_bFailing = w.m_stats.m_bFailing = true;
        w.m_strReason = "cannot start the archive's thread";
        w.m_opened = {false, w.m_strReason, w.m_opened.m_strSetAside, w.m_opened.m_nHighestSeq};
    }
}

CEventArchive::~CEventArchive() { Stop(); }

const CArchiveOpened& CEventArchive::Opened() const { return m_pWriter->m_opened; }

std::string CEventArchive::Path() const { return ArchivePath(m_pWriter->m_options.m_strFolder); }

uint64_t CEventArchive::Append(int64_t seq, int64_t arrivalMs, const CPeer& sender, std::string text)
{
    CWriter& w = *m_pWriter;
    std::lock_guard<std::mutex> lock(w.m_mutex);
    if (w.m_bStopping)
        return 0;
    if (w.m_nUncommittedTexts >= w.m_options.m_nQueueLimit) {
        ++w.m_stats.m_nDropped;
        return 0;
    }
    COp& op = w.Queue(COp::kText);
    op.m_nSeq = seq;
    op.m_nArrivalMs = arrivalMs;
    op.m_nSenderPid = sender.m_nPid;
    op.m_nSenderUid = sender.m_nUid;
    op.m_strText = std::move(text);
    ++w.m_nUncommittedTexts;
    // Operations are committed in queue order, so the count of those done
    // tells which texts are in, whatever order their numbers came in.
    return w.m_nQueuedOps;
}

void CEventArchive::MarkRefused(int64_t seq, int status)
{
    CWriter& w = *m_pWriter;
    std::lock_guard<std::mutex> lock(w.m_mutex);
    // Queued even beyond the limit (a text has one mark at most): a text
    // that waits without its mark would be committed as stored and replayed
    // at the next start though it was not stored, say not answered and sent
    // again. A mark for a text that was dropped changes no row.
    if (w.m_bStopping)
        return;
    COp& op = w.Queue(COp::kStatus);
    op.m_nSeq = seq;
    op.m_nStatus = status;
}

uint64_t CEventArchive::RecordSave(const CSaveMarker& marker)
{
    CWriter& w = *m_pWriter;
    std::lock_guard<std::mutex> lock(w.m_mutex);
    if (w.m_bStopping)
        return 0;
    COp& op = w.Queue(COp::kSave);
    op.m_nSeq = marker.m_nLastSeq;
    op.m_File = marker.m_File;
    return w.m_nQueuedOps;
}

bool CEventArchive::MarkSaveUnderWay(const CSaveMarker& marker, std::chrono::milliseconds timeout)
{
    CWriter& w = *m_pWriter;
    std::unique_lock<std::mutex> lock(w.m_mutex);
    if (w.m_bStopping)
        return false;
    // A later save's marker takes the place of one still waiting.
    w.m_UnderWay = marker;
    const uint64_t asked = ++w.m_nUnderWayAsked;
    w.m_wake.notify_one();
    w.m_committed.wait_for(lock, timeout,
                           [&] { return w.m_nUnderWayDone >= asked || w.m_bFailing || w.m_bStopped; });
    return w.m_nUnderWayDone >= asked;
}

bool CEventArchive::WaitCommitted(uint64_t ticket, std::chrono::milliseconds timeout)
{
    CWriter& w = *m_pWriter;
    std::unique_lock<std::mutex> lock(w.m_mutex);
    if (w.m_nDoneOps >= ticket)
        return ticket != 0;
    if (w.m_bFailing || w.m_bStopped)
        return false;
    ++w.m_nHurry;
    w.m_wake.notify_one();
    w.m_committed.wait_for(lock, timeout, [&] { return w.m_nDoneOps >= ticket || w.m_bFailing || w.m_bStopped; });
    --w.m_nHurry;
    return w.m_nDoneOps >= ticket;
}

bool CEventArchive::Flush(std::chrono::milliseconds timeout)
{
    CWriter& w = *m_pWriter;
    std::unique_lock<std::mutex> lock(w.m_mutex);
    const uint64_t target = w.m_nQueuedOps;
    ++w.m_nHurry;
    w.m_wake.notify_one();
    w.m_committed.wait_for(lock, timeout, [&] { return w.m_nDoneOps >= target || w.m_bStopped; });
    --w.m_nHurry;
    return w.m_nDoneOps >= target;
}

void CEventArchive::Stop()
{
    CWriter& w = *m_pWriter;
    {
        std::lock_guard<std::mutex> lock(w.m_mutex);
        w.m_bStopping = true;
        w.m_wake.notify_one();
    }
    if (w.m_thread.joinable())
        w.m_thread.join();
}

CEventArchiveStats CEventArchive::Stats() const
{
    std::lock_guard<std::mutex> lock(m_pWriter->m_mutex);
    return m_pWriter->m_stats;
}
