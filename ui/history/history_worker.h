// The History window's one worker thread: it owns the read-only connection
// to the archive and runs every query, so that the window never waits on
// SQLite. Requests go in as queued calls; answers come back to the window
// on the GUI thread through the sinks, each tagged with the generation of
// the filter it answers, so that the window drops those of a filter it has
// since replaced. The connection is opened by the first query and closed
// after a failure and when the window closes, never held longer.
//
// Threads: construct, set the sinks, Supersede, CancelExport and the
// request functions on the GUI thread; everything else runs on the worker.
#pragma once

#include <QObject>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "file_replace.h"
#include "history_query.h"
#include "history_reader.h"

// What became of opening the archive, or of a query on it.
enum class EArchiveState { Missing, Unreadable, Failed };

struct CHistorySinks {
    std::function<void(uint64_t gen, EArchiveState state, const std::string& why)> archiveState;
    std::function<void(uint64_t gen, size_t page, std::vector<CHistoryRow> rows, CHistoryKey lastKey)> page;
    std::function<void(uint64_t gen, int64_t count, std::vector<CHistoryKey> ends)> counted;
    std::function<void(uint64_t gen, std::vector<CTimelineBucket> buckets, ETimelineUnit unit)> timeline;
    std::function<void(int64_t rows)> exportProgress;
    // How the export ended: written, or why not; cancelled writes nothing.
    std::function<void(bool cancelled, ReplaceResult result)> exportDone;
    std::function<void(int64_t seq, std::string text)> receivedText;
};

class CHistoryWorker {
public:
    // receiver: the GUI-thread object the sinks are called on.
    CHistoryWorker(std::string archivePath, QObject* receiver, CHistorySinks sinks, size_t pageSize);
    ~CHistoryWorker();  // interrupts what runs and joins the thread

    // A new filter: stops the running query of an older one.
    void Supersede(uint64_t gen);
    // Stops the running export; it writes nothing.
    void CancelExport();

    // The count, the first page, the page ends and the timeline of filter;
    // the timeline spans the archive's events where the range is open.
    void Run(uint64_t gen, const CHistoryFilter& filter);
    void FetchPage(uint64_t gen, size_t page, std::optional<CHistoryKey> after);
    // Every match of filter as a comma-separated file at path.
    void Export(const CHistoryFilter& filter, std::string path);
    void ReadText(int64_t seq);
    // Closes the connection until the next request, so that a replaced
    // archive is seen and the writer can move a damaged one aside.
    void CloseArchive();

private:
    template <typename Fn>
    void Post(Fn fn);
    template <typename Fn>
    void Answer(Fn fn);
    bool Open(uint64_t gen);
    bool Current(uint64_t gen) const { return gen == m_nLatest.load(); }
    void Release();
    void ReportFailure(uint64_t gen, const CHistoryStatus& status);
    void DoRun(uint64_t gen, const CHistoryFilter& filter);
    void DoExport(const CHistoryFilter& filter, const std::string& path);

    std::string m_strPath;
    QObject* m_pReceiver;
    CHistorySinks m_Sinks;
    size_t m_nPageSize;
    std::atomic<uint64_t> m_nLatest = 0;
    std::atomic<bool> m_bCancelExport = false;
    std::mutex m_Running;  // guards m_pQuery and m_pExport against the GUI thread's Interrupt
    CHistoryQuery* m_pExport = nullptr;  // the export's query while it streams
    CHistoryConnection m_Db;  // worker thread
    std::unique_ptr<CHistoryQuery> m_pQuery;
    uint64_t m_nQueryGen = 0;
    QThread m_Thread;
    QObject* m_pContext = nullptr;  // lives on m_Thread: queued calls run there
};
