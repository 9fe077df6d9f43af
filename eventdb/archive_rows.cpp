#include "archive_rows.h"

#include <sqlite3.h>

#include "event_store.h"
#include "shown_text.h"

namespace {

// BEGIN IMMEDIATE takes the write lock at once, so a reader that started a
// write of its own makes the batch wait (busy timeout) rather than fail
// half-way through.
constexpr const char* kBeginSql = "BEGIN IMMEDIATE";

// The names remembered as in their list: a site's keys several times over.
constexpr std::size_t kKnownNamesLimit = 10000;

constexpr const char* kInsertEventSql =
    "INSERT INTO event(seq, arrival_ms, sender_pid, sender_uid, raw, status, version, type, event_time,"
    " level, locking_id, locking, locking_system, transponder, transponder_name, description, name)"
    " VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17)";

// The full-text index keeps no copy of the texts (its content is the event
// table), so its entry is made here, from the same values, in the same
// transaction.
constexpr const char* kInsertTextSql =
    "INSERT INTO event_text(rowid, description, name, locking, locking_system, transponder_name)"
    " VALUES(?1, ?2, ?3, ?4, ?5, ?6)";

constexpr const char* kSetStatusSql = "UPDATE event SET status = ?2 WHERE seq = ?1";

constexpr const char* kRecordSaveSql =
    "INSERT OR REPLACE INTO saved(id, last_seq, file_size, file_hash) VALUES(1, ?1, ?2, ?3)";
constexpr const char* kRecordSavingSql =
    "INSERT OR REPLACE INTO saving(id, last_seq, file_size, file_hash) VALUES(1, ?1, ?2, ?3)";

// The rows retention removes, oldest first: those that arrived before ?1 and
// that the last save of the data file covered. A later one may be replayed
// into the data file from here at the next start; without a save marker
// nothing is replayed, so age alone decides.
constexpr const char* kOldRowsSql =
    " FROM event WHERE arrival_ms < ?1"
    " AND seq <= coalesce((SELECT last_seq FROM saved), 9223372036854775807)"
    " ORDER BY arrival_ms, seq LIMIT ?2";

// An entry of an external-content or contentless index is removed by
// handing it the values it indexed, so the indexes go first, while the rows
// still hold them. All the statements pick the same rows.
constexpr const char* kForgetOldTextSql =
    "INSERT INTO event_text(event_text, rowid, description, name, locking, locking_system, transponder_name)"
    " SELECT 'delete', seq, description, name, locking, locking_system, transponder_name";
constexpr const char* kDeleteOldSql = "DELETE FROM event WHERE seq IN (SELECT seq";

// The text as shown on screen, in UTF-8 (ShownText's rule), without a copy
// when it is UTF-8 already; decoded keeps a conversion alive for binding.
std::string_view Shown(const std::string& bytes, std::string& decoded)
{
    if (IsValidUtf8(bytes))
        return bytes;
    decoded = DecodeLegacyCodePage(bytes);
    return decoded;
}

}  // namespace

int StatusOnArrival(std::string_view raw, const CSimpleMessage& parsed)
{
    return !raw.empty() && IsAcceptableAlone(parsed) ? kTextStored : kTextRefused;
}

// The token is made by SQL's own hex(), as the upgrade makes it.
bool CArchiveRows::CNameKeys::Prepare(sqlite3* db, const CKeyedColumn& column, const char* oldRowsSql)
{
    const std::string tokens = column.m_pszTokens;
    const std::string names = column.m_pszNames;
    return m_insertKey.Prepare(db, "INSERT INTO " + tokens + "(rowid, key) VALUES(?1, 'x' || hex(?2))") &&
           m_insertName.Prepare(db, "INSERT OR IGNORE INTO " + names + "(name) VALUES(?1)") &&
           m_forgetOld.Prepare(db, "INSERT INTO " + tokens + "(" + tokens + ", rowid, key) SELECT 'delete', seq," +
                                       " 'x' || hex(" + column.m_pszColumn + ")" + oldRowsSql);
}

int CArchiveRows::CNameKeys::Insert(int64_t seq, std::string_view name)
{
    int rc = m_insertKey.Bind(1, seq).BindText(2, name).Run();
    if (rc == SQLITE_OK && !m_Known.contains(name)) {
        rc = m_insertName.BindText(1, name).Run();
        // Remembered only once committed: a batch rolled back takes its
        // new names with it.
        if (rc == SQLITE_OK)
            m_New.emplace_back(name);
    }
    return rc;
}

int CArchiveRows::CNameKeys::ForgetOld(int64_t cutoffMs, int limit)
{
    return m_forgetOld.Bind(1, cutoffMs).Bind(2, limit).Run();
}

void CArchiveRows::CNameKeys::Committed()
{
    // Senders choose the names (up to a couple of KiB each): the memory
    // starts over rather than grow with them. A name it forgot costs one
    // INSERT OR IGNORE.
    if (m_Known.size() + m_New.size() > kKnownNamesLimit)
        m_Known.clear();
    for (std::string& name : m_New)
        m_Known.insert(std::move(name));
    m_New.clear();
}

bool CArchiveRows::Prepare(sqlite3* db)
{
    m_db = db;
    return m_begin.Prepare(db, kBeginSql) && m_commit.Prepare(db, "COMMIT") && m_rollback.Prepare(db, "ROLLBACK") &&
           m_insertEvent.Prepare(db, kInsertEventSql) && m_insertText.Prepare(db, kInsertTextSql) &&
           m_setStatus.Prepare(db, kSetStatusSql) && m_recordSave.Prepare(db, kRecordSaveSql) &&
           m_recordSaving.Prepare(db, kRecordSavingSql) &&
           m_forgetOldText.Prepare(db, kForgetOldTextSql + std::string(kOldRowsSql)) &&
           m_deleteOld.Prepare(db, kDeleteOldSql + std::string(kOldRowsSql) + ")") &&
           m_lockings.Prepare(db, kKeyedLocking, kOldRowsSql) &&
           m_transponders.Prepare(db, kKeyedTransponder, kOldRowsSql);
}

int CArchiveRows::Begin()
{
    m_lockings.RolledBack();
    m_transponders.RolledBack();
    return m_begin.Run();
}

int CArchiveRows::Commit()
{
    const int rc = m_commit.Run();
    if (rc == SQLITE_OK) {
        m_lockings.Committed();
        m_transponders.Committed();
    } else {
        m_lockings.RolledBack();
        m_transponders.RolledBack();
    }
    return rc;
}

void CArchiveRows::Rollback()
{
    m_lockings.RolledBack();
    m_transponders.RolledBack();
    // SQLite may have rolled back by itself already (after some I/O errors).
    if (!sqlite3_get_autocommit(m_db))
        m_rollback.Run();
}

int CArchiveRows::InsertText(int64_t seq, int64_t arrivalMs, const CPeer& sender, std::string_view raw)
{
    CSimpleMessage& m = m_parsed;
    m.Parse(raw);
    const std::string_view locking = Shown(m.lockName, m_decoded[0]);
    const std::string_view system = Shown(m.sysName, m_decoded[1]);
    const std::string_view transponder = Shown(m.trnsName, m_decoded[2]);
    const std::string_view description = Shown(m.desc, m_decoded[3]);
    const std::string_view name = Shown(m.name, m_decoded[4]);
    m_insertEvent.Bind(1, seq).Bind(2, arrivalMs).Bind(3, sender.m_nPid).Bind(4, sender.m_nUid);
    m_insertEvent.BindBlob(5, raw).Bind(6, StatusOnArrival(raw, m)).Bind(7, m.version).Bind(8, m.type);
    m_insertEvent.Bind(9, m.ttime).Bind(10, m.level).Bind(11, m.lid).BindText(12, locking).BindText(13, system);
    m_insertEvent.Bind(14, m.tid).BindText(15, transponder).BindText(16, description).BindText(17, name);
    int rc = m_insertEvent.Run();
    if (rc != SQLITE_OK)
        return rc;
    m_insertText.Bind(1, seq).BindText(2, description).BindText(3, name).BindText(4, locking);
    rc = m_insertText.BindText(5, system).BindText(6, transponder).Run();
    if (rc == SQLITE_OK)
        rc = m_lockings.Insert(seq, locking);
    if (rc == SQLITE_OK)
        rc = m_transponders.Insert(seq, transponder);
    return rc;
}

int CArchiveRows::SetStatus(int64_t seq, int status) { return m_setStatus.Bind(1, seq).Bind(2, status).Run(); }

int CArchiveRows::RecordSave(const CSaveMarker& marker, SaveStage stage)
{
    CStatement& record = stage == SaveStage::kUnderWay ? m_recordSaving : m_recordSave;
    // The hash is kept bit for bit in SQLite's signed integer.
    return record.Bind(1, marker.m_nLastSeq)
        .Bind(2, marker.m_File.m_nSize)
        .Bind(3, static_cast<int64_t>(marker.m_File.m_nHash))
        .Run();
}

int CArchiveRows::DeleteArrivedBefore(int64_t cutoffMs, int limit, int64_t& deleted)
{
    deleted = 0;
    int rc = m_forgetOldText.Bind(1, cutoffMs).Bind(2, limit).Run();
    if (rc == SQLITE_OK)
        rc = m_lockings.ForgetOld(cutoffMs, limit);
    if (rc == SQLITE_OK)
        rc = m_transponders.ForgetOld(cutoffMs, limit);
    if (rc != SQLITE_OK)
        return rc;
    rc = m_deleteOld.Bind(1, cutoffMs).Bind(2, limit).Run();
    if (rc == SQLITE_OK)
        deleted = sqlite3_changes64(m_db);
    return rc;
}
