#include "archive_open.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app_directory.h"
#include "archive_schema.h"
#include "file_replace.h"

namespace {

// How long a statement waits for a lock another connection holds (someone's
// sqlite3 in a write transaction) before the attempt counts as failed.
constexpr int kBusyTimeoutMs = 2000;

// Pages kept in memory: the hot ends of the indexes and the full-text
// index's newest segments, so that a batch rereads little.
constexpr const char* kCacheSql = "PRAGMA cache_size = -16384";  // KiB

// The log is copied into the file every 64 MiB instead of every 4: the
// pages every batch changes again (the ends of the indexes, the full-text
// segments being merged) are then written back once where they would be
// sixteen times, about a sixth fewer bytes written per text. A log that
// grew past 128 MiB while a reader held it open is cut back after the next
// checkpoint.
constexpr const char* kLogSql = "PRAGMA wal_autocheckpoint = 16384; PRAGMA journal_size_limit = 134217728";

enum class Outcome { kOpen, kDamaged, kFailed };

struct CAttempt {
    Outcome m_outcome = Outcome::kFailed;
    std::string m_strReason;
};

CAttempt Failed(Outcome outcome, const std::string& path, const std::string& why)
{
    return {outcome, path + ": " + why};
}

CAttempt FromResult(int rc, const std::string& path, sqlite3* db)
{
    return Failed(IsDamage(rc) ? Outcome::kDamaged : Outcome::kFailed, path, ErrorText(db));
}

// The journal mode pragma answers with the mode now in force.
int SwitchToWal(sqlite3* db)
{
    CStatement pragma;
    if (!pragma.Prepare(db, "PRAGMA journal_mode = WAL"))
        return sqlite3_errcode(db);
    const int rc = pragma.Step();
    if (rc != SQLITE_ROW)
        return rc;
    return pragma.Blob(0) == "wal" ? SQLITE_OK : SQLITE_CANTOPEN;
}

// Runs sql and sets the version in one transaction: an archive is either
// wholly of the old version or wholly of the new.
int ChangeSchema(sqlite3* db, const char* sql)
{
    const std::string all = std::string("BEGIN IMMEDIATE;") + sql + "PRAGMA user_version = " +
                            std::to_string(kArchiveSchemaVersion) + ";COMMIT;";
    const int rc = Exec(db, all.c_str());
    if (rc != SQLITE_OK && !sqlite3_get_autocommit(db))
        Exec(db, "ROLLBACK");
    return rc;
}

// The highest number the archive has given a text or its save marker has
// covered: retention may have removed every row, but the numbers it held
// must not come again. Reads the ends of three tables, nothing more.
int ReadHighestSeq(sqlite3* db, int64_t& highest)
{
    highest = 0;
    for (const char* sql : {"SELECT max(seq) FROM event", "SELECT last_seq FROM saved", "SELECT last_seq FROM saving"}) {
        CStatement query;
        if (!query.Prepare(db, sql))
            return sqlite3_errcode(db);
        const int rc = query.Step();
        if (rc == SQLITE_ROW && !query.IsNull(0))
            highest = std::max(highest, query.Int(0));
        else if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            return rc;
    }
    return SQLITE_OK;
}

CAttempt TryOpen(const std::string& path, bool fullSync, CArchiveOpening& opening)
{
    // Made by us before SQLite sees it, so that it is private from its first
    // byte; SQLite gives its log and index files the same mode.
    WriteIfFree(path, {});
    CSqliteDb db;
    int rc = OpenSqlite(path, false, db);
    if (rc != SQLITE_OK)
        return FromResult(rc, path, db.get());
    sqlite3* const raw = db.get();
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);
    // Closing would checkpoint a damaged archive's log into it and delete
    // the log; until the archive has been found sound, both stay as found.
    sqlite3_db_config(raw, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    // The vacuum mode takes only on an empty file, before the write-ahead
    // log (which fixes the page layout). On an existing file it would cost a
    // write, and a wait for the disk, at every start.
    const int64_t pages = QueryInt(raw, "PRAGMA page_count", -1);
    if (pages < 0)
        return FromResult(sqlite3_errcode(raw), path, raw);
    rc = pages == 0 ? Exec(raw, "PRAGMA auto_vacuum = INCREMENTAL") : SQLITE_OK;
    if (rc == SQLITE_OK)
        rc = SwitchToWal(raw);
    if (rc == SQLITE_OK)
        rc = Exec(raw, fullSync ? "PRAGMA synchronous = FULL" : "PRAGMA synchronous = NORMAL");
    if (rc == SQLITE_OK)
        rc = Exec(raw, kCacheSql);
    if (rc == SQLITE_OK)
        rc = Exec(raw, kLogSql);
    if (rc != SQLITE_OK)
        return FromResult(rc, path, raw);

    const int64_t version = QueryInt(raw, "PRAGMA user_version", -1);
    if (version < 0)
        return FromResult(sqlite3_errcode(raw), path, raw);
    if (version == 0) {
        // Tables without our version are someone else's database.
        if (QueryInt(raw, "SELECT count(*) FROM sqlite_master", -1) != 0)
            return Failed(Outcome::kDamaged, path, "not an event archive");
        if ((rc = ChangeSchema(raw, kArchiveSchemaSql)) != SQLITE_OK)
            return FromResult(rc, path, raw);
    } else if (version < kArchiveSchemaVersion) {
        // Once, at the first start after an update: a few seconds for a
        // million texts, before the endpoint opens.
        const std::string steps = std::string(version < 2 ? kArchiveUpgradeTo2Sql : "") + kArchiveUpgradeTo3Sql;
        if ((rc = ChangeSchema(raw, steps.c_str())) != SQLITE_OK)
            return FromResult(rc, path, raw);
    }
    // A newer version is used as it is, since later versions only add.

    auto rows = std::make_unique<CArchiveRows>();
    if (!rows->Prepare(raw)) {
        rc = sqlite3_errcode(raw);
        return Failed(IsDamage(rc) || rc == SQLITE_ERROR ? Outcome::kDamaged : Outcome::kFailed, path,
                      ErrorText(raw));
    }
    if ((rc = ReadHighestSeq(raw, opening.m_nHighestSeq)) != SQLITE_OK)
        return FromResult(rc, path, raw);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 0, nullptr);
    opening.m_pRows = std::move(rows);
    opening.m_db = std::move(db);
    return {Outcome::kOpen, {}};
}

bool Exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

bool RemoveIfThere(const std::string& path)
{
    std::error_code error;
    std::filesystem::remove(path, error);
    return !Exists(path);
}

}  // namespace

std::string ArchivePath(const std::string& folder) { return folder + kPathSeparator + std::string(kArchiveFileName); }

std::string SetArchiveAside(const std::string& path, std::string& reason)
{
    const std::string log = path + "-wal";
    // A name whose log name is free too, so that no stray log pairs with it.
    const std::string taken = FirstFreeName(path + std::string(kArchiveDamagedSuffix), [&](const std::string& name) {
        return Exists(name + "-wal") ? NameAttempt::kExists : MoveIfFree(path, name);
    });
    if (taken.empty()) {
        reason = path + ": cannot set the damaged archive aside";
        return {};
    }
    // Left behind, the old log would be read into the new archive.
    if (Exists(log) && MoveIfFree(log, taken + "-wal") != NameAttempt::kTaken && !RemoveIfThere(log)) {
        reason = log + ": cannot move the damaged archive's log aside";
        return {};
    }
    if (!RemoveIfThere(path + "-shm")) {
        reason = path + "-shm: cannot remove the damaged archive's index";
        return {};
    }
    return taken;
}

CArchiveOpening OpenArchive(const std::string& folder, bool fullSync)
{
    CArchiveOpening opening;
    if (!MakePrivateFolder(folder)) {
        opening.m_strReason = folder + ": cannot make the folder";
        return opening;
    }
    const std::string path = ArchivePath(folder);
    CAttempt attempt = TryOpen(path, fullSync, opening);
    if (attempt.m_outcome == Outcome::kDamaged) {
        opening.m_strSetAside = SetArchiveAside(path, attempt.m_strReason);
        if (!opening.m_strSetAside.empty())
            attempt = TryOpen(path, fullSync, opening);
    }
    if (attempt.m_outcome != Outcome::kOpen)
        opening.m_strReason = attempt.m_strReason;
    return opening;
}
