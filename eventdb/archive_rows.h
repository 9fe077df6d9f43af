// The archive's writes, as prepared statements on one connection: a text's
// row and its full-text entries, a later verdict on it, the save marker, and
// the removal of old rows. Used by the thread that owns the connection.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "archive_schema.h"
#include "peer.h"
#include "save_marker.h"
#include "simple_message.h"
#include "sqlite_handles.h"

// The event row's status column.
enum : int {
    kTextStored = 0,     // the store took it, or would on its own
    kTextRefused = 1,    // no event time, a bad address, empty, or too old a version
    kTextDuplicate = 2,  // the store already held the same transponder event
    kTextUnanswered = 3, // not on disk in time for the "OK" that waited for it:
                         // not answered, not stored; the sender sends it again
};

// The status a text gets as it is archived, by the store's own rule for a
// record on its own; whether it is a duplicate only the drain can tell.
int StatusOnArrival(std::string_view raw, const CSimpleMessage& parsed);

class CArchiveRows {
public:
    // Compiles every statement against db's schema. False when the schema is
    // not the archive's (ErrorText(db) says what is missing).
    bool Prepare(sqlite3* db);

    // Each returns SQLite's result: SQLITE_OK, or the error.
    int Begin();
    int Commit();
    void Rollback();

    int InsertText(int64_t seq, int64_t arrivalMs, const CPeer& sender, std::string_view raw);
    int SetStatus(int64_t seq, int status);
    // kUnderWay: the marker of a save whose file has not yet taken the data
    // file's name (table saving); kDone: of the last save (table saved).
    int RecordSave(const CSaveMarker& marker, SaveStage stage);

    // Removes up to limit of the rows that arrived before cutoffMs and that
    // the save marker covers (all of them without one), oldest first, with
    // their full-text entries; deleted says how many went.
    int DeleteArrivedBefore(int64_t cutoffMs, int limit, int64_t& deleted);

private:
    // A name column's token and its place in the list of names.
    class CNameKeys {
    public:
        bool Prepare(sqlite3* db, const CKeyedColumn& column, const char* oldRowsSql);
        int Insert(int64_t seq, std::string_view name);
        int ForgetOld(int64_t cutoffMs, int limit);
        // The names the open transaction added are known once it commits.
        void Committed();
        void RolledBack() { m_New.clear(); }

    private:
        CStatement m_insertKey, m_insertName, m_forgetOld;
        // Names known to be in the list (some 10,000 at most), so that a
        // flood looks each up in memory; and those the open transaction
        // added.
        std::set<std::string, std::less<>> m_Known;
        std::vector<std::string> m_New;
    };

    sqlite3* m_db = nullptr;
    CStatement m_begin, m_commit, m_rollback;
    CStatement m_insertEvent, m_insertText, m_setStatus, m_recordSave, m_recordSaving;
    CStatement m_forgetOldText, m_deleteOld;
    CNameKeys m_lockings, m_transponders;
    // Reused from text to text, so a flood costs no allocations for them.
    CSimpleMessage m_parsed;
    std::string m_decoded[5];
};
