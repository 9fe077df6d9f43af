// The event archive's schema, version 3 (PRAGMA user_version). Other tools
// read archive.sqlite while Tellvane runs, so these names are an interface:
// add columns and tables in later versions, never rename or drop them.
// Indexes only change how fast a query is, not what it answers.
//
// event: one row per text answered "OK", numbered in answer order.
//   seq              the text's sequence number (64-bit, never reused)
//   arrival_ms       when it was queued, milliseconds since 1970 UTC
//   sender_pid/uid   the process that sent it; -1 when unknown
//   raw              the text's bytes exactly as received
//   status           0 stored, 1 refused (no event time, bad address, empty
//                    or too old a version), 2 refused as a duplicate, 3 not
//                    answered (gDurableOk=1: not on disk in time)
//   version .. name  the parsed fields; texts as shown on screen (UTF-8)
// event_refused (only the few refused texts) lets a count leave them out
//   without reading every row's status.
// event_transponder, event_locking: each event's transponder name and
//   locking as one full-text token, 'x' || hex(name), so that a search by
//   name reads only that name's events. They stand where an index on the
//   name stood (event_by_transponder in later archives of version 1,
//   event_by_locking until version 3): a site has hundreds of doors and thousands of keys,
//   and every commit of a flood dirtied a page of such an index for nearly
//   each text, where a token index appends one segment.
// transponder_names, locking_names: every name the archive has held, once
//   (retention leaves names whose events it removed).
// event_text: full-text index over the text fields, its content in event.
// saved: what the last save of the data file covered (one row).
// saving: what the save under way covers, committed before its file takes
//   the data file's name (one row). A crash between that rename and the
//   commit of `saved` leaves a data file that only this row describes.
#pragma once

#include <string>
#include <string_view>

inline constexpr int kArchiveSchemaVersion = 3;

// A name column whose events are found through their tokens: the event
// column, its token table, its list of names, and the index that older
// versions kept on the column instead.
struct CKeyedColumn {
    const char* m_pszColumn;
    const char* m_pszTokens;
    const char* m_pszNames;
    const char* m_pszOldIndex;
};
inline constexpr CKeyedColumn kKeyedLocking{"locking", "event_locking", "locking_names", "event_by_locking"};
inline constexpr CKeyedColumn kKeyedTransponder{"transponder_name", "event_transponder", "transponder_names",
                                                "event_by_transponder"};

// The token of a name in its token table, as SQL's 'x' || hex(name) makes
// it.
inline std::string NameKey(std::string_view name)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string key = "x";
    key.reserve(1 + 2 * name.size());
    for (const unsigned char c : name) {
        key += kDigits[c >> 4];
        key += kDigits[c & 15];
    }
    return key;
}

// A full-text index merges its segments once 16 of a size have gathered,
// not 4: a flood commits a segment per batch, and the fewer merges save
// the writer about a tenth of its time per text. A search reads a few more
// segments.
#define TELLVANE_FULL_TEXT_MERGING_SQL                                              \
    "INSERT INTO event_text(event_text, rank) VALUES('automerge', 16);"             \
    "INSERT INTO event_transponder(event_transponder, rank) VALUES('automerge', 16);" \
    "INSERT INTO event_locking(event_locking, rank) VALUES('automerge', 16);"

inline constexpr const char* kArchiveSchemaSql = R"sql(
CREATE TABLE event(
  seq              INTEGER PRIMARY KEY,
  arrival_ms       INTEGER NOT NULL,
  sender_pid       INTEGER NOT NULL,
  sender_uid       INTEGER NOT NULL,
  raw              BLOB    NOT NULL,
  status           INTEGER NOT NULL,
  version          INTEGER NOT NULL,
  type             INTEGER NOT NULL,
  event_time       INTEGER NOT NULL,
  level            INTEGER NOT NULL,
  locking_id       INTEGER NOT NULL,
  locking          TEXT    NOT NULL,
  locking_system   TEXT    NOT NULL,
  transponder      INTEGER NOT NULL,
  transponder_name TEXT    NOT NULL,
  description      TEXT    NOT NULL,
  name             TEXT    NOT NULL
);
CREATE INDEX event_by_time ON event(event_time);
CREATE INDEX event_by_arrival ON event(arrival_ms);
CREATE INDEX event_by_level ON event(level, event_time);
CREATE INDEX event_refused ON event(event_time) WHERE status <> 0;
CREATE VIRTUAL TABLE event_text USING fts5(
  description, name, locking, locking_system, transponder_name,
  content='event', content_rowid='seq', columnsize=0);
CREATE VIRTUAL TABLE event_transponder USING fts5(key, content='', detail='none', columnsize=0);
CREATE TABLE transponder_names(name TEXT PRIMARY KEY) WITHOUT ROWID;
CREATE VIRTUAL TABLE event_locking USING fts5(key, content='', detail='none', columnsize=0);
CREATE TABLE locking_names(name TEXT PRIMARY KEY) WITHOUT ROWID;
CREATE TABLE saved(
  id        INTEGER PRIMARY KEY CHECK (id = 1),
  last_seq  INTEGER NOT NULL,
  file_size INTEGER NOT NULL,
  file_hash INTEGER NOT NULL
);
CREATE TABLE saving(
  id        INTEGER PRIMARY KEY CHECK (id = 1),
  last_seq  INTEGER NOT NULL,
  file_size INTEGER NOT NULL,
  file_hash INTEGER NOT NULL
);
)sql" TELLVANE_FULL_TEXT_MERGING_SQL;

// From version 1: the new tables filled from the rows (the names through
// the old index, which goes last), in one transaction with the version.
inline constexpr const char* kArchiveUpgradeTo2Sql = R"sql(
CREATE TABLE transponder_names(name TEXT PRIMARY KEY) WITHOUT ROWID;
INSERT INTO transponder_names SELECT DISTINCT transponder_name FROM event;
CREATE VIRTUAL TABLE event_transponder USING fts5(key, content='', detail='none');
INSERT INTO event_transponder(rowid, key) SELECT seq, 'x' || hex(transponder_name) FROM event;
DROP INDEX IF EXISTS event_by_transponder;
CREATE TABLE saving(
  id        INTEGER PRIMARY KEY CHECK (id = 1),
  last_seq  INTEGER NOT NULL,
  file_size INTEGER NOT NULL,
  file_hash INTEGER NOT NULL
);
)sql";

// From version 2: the lockings' tokens and names in place of their index
// (the names read through it, before it goes); and the refused texts'
// index, which the first archives of version 1 were made without.
inline constexpr const char* kArchiveUpgradeTo3Sql = R"sql(
CREATE INDEX IF NOT EXISTS event_refused ON event(event_time) WHERE status <> 0;
CREATE TABLE locking_names(name TEXT PRIMARY KEY) WITHOUT ROWID;
INSERT INTO locking_names SELECT DISTINCT locking FROM event;
CREATE VIRTUAL TABLE event_locking USING fts5(key, content='', detail='none', columnsize=0);
INSERT INTO event_locking(rowid, key) SELECT seq, 'x' || hex(locking) FROM event;
DROP INDEX IF EXISTS event_by_locking;
)sql" TELLVANE_FULL_TEXT_MERGING_SQL;

#undef TELLVANE_FULL_TEXT_MERGING_SQL
