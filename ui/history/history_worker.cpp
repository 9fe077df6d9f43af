#include "history_worker.h"

#include <QMetaObject>

#include "history_row_text.h"

CHistoryWorker::CHistoryWorker(std::string archivePath, QObject* receiver, CHistorySinks sinks, size_t pageSize)
    : m_strPath(std::move(archivePath)), m_pReceiver(receiver), m_Sinks(std::move(sinks)), m_nPageSize(pageSize)
{
    m_pContext = new QObject;
    m_pContext->moveToThread(&m_Thread);
    QObject::connect(&m_Thread, &QThread::finished, m_pContext, &QObject::deleteLater);
    m_Thread.setObjectName(QStringLiteral("history"));
    m_Thread.start();
}

CHistoryWorker::~CHistoryWorker()
{
    CancelExport();
    Supersede(UINT64_MAX);
    m_Thread.quit();
    m_Thread.wait();
    // The connection closes here, on the GUI thread, after the worker has
    // ended: nothing uses it any more.
    m_pQuery.reset();
}

template <typename Fn>
void CHistoryWorker::Post(Fn fn)
{
    QMetaObject::invokeMethod(m_pContext, std::move(fn), Qt::QueuedConnection);
}

template <typename Fn>
void CHistoryWorker::Answer(Fn fn)
{
    QMetaObject::invokeMethod(m_pReceiver, std::move(fn), Qt::QueuedConnection);
}

void CHistoryWorker::Supersede(uint64_t gen)
{
    m_nLatest = gen;
    std::lock_guard lock(m_Running);
    // An interrupt reaches the whole connection: while an export streams on
    // it, the older query is not running anyway, and the new one waits.
    if (m_pQuery && m_nQueryGen != gen && !m_pExport)
        m_pQuery->Interrupt();
}

void CHistoryWorker::CancelExport()
{
    m_bCancelExport = true;
    // Set first, so that the export reads its interrupted statement as the
    // user's cancel.
    std::lock_guard lock(m_Running);
    if (m_pExport)
        m_pExport->Interrupt();
}

void CHistoryWorker::Run(uint64_t gen, const CHistoryFilter& filter)
{
    Post([this, gen, filter] { DoRun(gen, filter); });
}

void CHistoryWorker::FetchPage(uint64_t gen, size_t page, std::optional<CHistoryKey> after)
{
    Post([this, gen, page, after] {
        if (!Current(gen) || !m_pQuery || m_nQueryGen != gen)
            return;
        std::vector<CHistoryRow> rows;
        const CHistoryStatus status = m_pQuery->Page(after, m_nPageSize, rows);
        if (!status.IsOk())
            return ReportFailure(gen, status);
        const CHistoryKey last = rows.empty() ? CHistoryKey{} : m_pQuery->KeyOf(rows.back());
        Answer([this, gen, page, rows = std::move(rows), last]() mutable { m_Sinks.page(gen, page, std::move(rows), last); });
    });
}

void CHistoryWorker::Export(const CHistoryFilter& filter, std::string path)
{
    m_bCancelExport = false;
    Post([this, filter, path = std::move(path)] { DoExport(filter, path); });
}

void CHistoryWorker::ReadText(int64_t seq)
{
    Post([this, seq] {
        std::string text;
        if (m_Db && ReadReceivedText(m_Db.get(), seq, text).IsOk())
            Answer([this, seq, text = std::move(text)]() mutable { m_Sinks.receivedText(seq, std::move(text)); });
    });
}

bool CHistoryWorker::Open(uint64_t gen)
{
    if (m_Db)
        return true;
    // The archive may be made while the window is open: look again each time.
    CHistoryReader reader = OpenHistoryReader(m_strPath);
    if (reader.m_eResult != EHistoryOpen::Ok) {
        const EArchiveState state =
            reader.m_eResult == EHistoryOpen::Missing ? EArchiveState::Missing : EArchiveState::Unreadable;
        Answer([this, gen, state, why = reader.m_strError] { m_Sinks.archiveState(gen, state, why); });
        return false;
    }
    m_Db = std::move(reader.m_Db);
    return true;
}

void CHistoryWorker::CloseArchive()
{
    Post([this] { Release(); });
}

void CHistoryWorker::Release()
{
    {
        std::lock_guard lock(m_Running);
        m_pQuery.reset();
    }
    m_Db.reset();
}

void CHistoryWorker::ReportFailure(uint64_t gen, const CHistoryStatus& status)
{
    // An interrupted query was superseded: its successor answers instead.
    if (status.m_eResult != EHistoryResult::Failed)
        return;
    // The archive may have been replaced or moved aside as damaged: the next
    // query opens it afresh.
    Release();
    Answer([this, gen, why = status.m_strError] { m_Sinks.archiveState(gen, EArchiveState::Failed, why); });
}

void CHistoryWorker::DoRun(uint64_t gen, const CHistoryFilter& filter)
{
    if (!Current(gen) || !Open(gen))
        return;
    {
        std::lock_guard lock(m_Running);
        m_pQuery = std::make_unique<CHistoryQuery>(m_Db.get(), filter);
        m_nQueryGen = gen;
    }
    if (!Current(gen))
        return;

    std::vector<CHistoryRow> rows;
    CHistoryStatus status = m_pQuery->Page(std::nullopt, m_nPageSize, rows);
    if (!status.IsOk())
        return ReportFailure(gen, status);
    const CHistoryKey last = rows.empty() ? CHistoryKey{} : m_pQuery->KeyOf(rows.back());
    Answer([this, gen, rows = std::move(rows), last]() mutable { m_Sinks.page(gen, 0, std::move(rows), last); });
    if (!Current(gen))
        return;

    std::vector<CHistoryKey> ends;
    int64_t count = 0;
    status = m_pQuery->PageEnds(m_nPageSize, ends, count);
    if (!status.IsOk())
        return ReportFailure(gen, status);
    Answer([this, gen, count, ends = std::move(ends)]() mutable { m_Sinks.counted(gen, count, std::move(ends)); });
    if (!Current(gen))
        return;

    // The timeline over the range, or over the archive's span when the
    // range is open at an end.
    std::optional<int64_t> from = m_pQuery->Filter().m_nFrom, to = m_pQuery->Filter().m_nTo;
    if (!from || !to) {
        std::optional<std::pair<int64_t, int64_t>> span;
        status = m_pQuery->EventTimeSpan(span);
        if (!status.IsOk())
            return ReportFailure(gen, status);
        if (!span) {
            Answer([this, gen] { m_Sinks.timeline(gen, {}, ETimelineUnit::Day); });
            return;
        }
        from = from.value_or(span->first);
        to = to.value_or(span->second);
    }
    const ETimelineUnit unit = ChooseTimelineUnit(*from, *to);
    std::vector<CTimelineBucket> buckets = TimelineBuckets(TimelineEdges(*from, *to, unit));
    status = m_pQuery->CountBuckets(buckets);
    if (!status.IsOk())
        return ReportFailure(gen, status);
    Answer([this, gen, unit, buckets = std::move(buckets)]() mutable { m_Sinks.timeline(gen, std::move(buckets), unit); });
}

void CHistoryWorker::DoExport(const CHistoryFilter& filter, const std::string& path)
{
    const auto done = [this](bool cancelled, ReplaceResult result) {
        Answer([this, cancelled, result] { m_Sinks.exportDone(cancelled, result); });
    };
    if (!Open(m_nLatest.load()))
        return done(false, ReplaceResult::WriteFailed);
    // A file that cannot be made is said at once, before the archive is read.
    // The rows go to the disk as they come: a million of them would be
    // hundreds of megabytes in memory.
    CFileReplacement file(path, FileAccess::kShared);
    if (!file.Append(FormatCsv({HistoryExportHeader()}, kHistoryExportFields, ',')))
        return done(false, file.Commit());
    CHistoryQuery query(m_Db.get(), filter);
    {
        std::lock_guard lock(m_Running);
        m_pExport = &query;
    }
    const CHistoryStatus status = query.Stream(
        [&](const CHistoryRow& row) {
            return file.Append(FormatCsv({HistoryExportLine(row)}, kHistoryExportFields, ',')) &&
                   !m_bCancelExport.load();
        },
        [&](int64_t rows) {
            Answer([this, rows] { m_Sinks.exportProgress(rows); });
            return !m_bCancelExport.load();
        });
    {
        std::lock_guard lock(m_Running);
        m_pExport = nullptr;
    }
    if (!file.Good())
        return done(false, file.Commit());
    if (m_bCancelExport) {
        file.Abandon();
        return done(true, ReplaceResult::Replaced);
    }
    if (!status.IsOk()) {
        file.Abandon();
        // The list's query went with the connection: the window says why and
        // starts its list over, rather than keep rows it can no longer fetch.
        ReportFailure(m_nLatest.load(), status);
        return done(false, ReplaceResult::WriteFailed);
    }
    done(false, file.Commit());
}
