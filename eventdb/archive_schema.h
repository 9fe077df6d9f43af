// The event archive's schema, version 2 (PRAGMA user_version). Other tools
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
// event_transponder: each event's transponder name as one full-text token,
//   'x' || hex(transponder_name), so that a search by transponder name
//   reads only that name's events. It replaces version 1's index
//   event_by_transponder(transponder_name, event_time): a site has
//   thousands of keys, and every commit of a flood dirtied a page of that
//   index for nearly each text, where the token index appends one segment.
// transponder_names: every transponder name the archive has held, once
//   (retention leaves names whose events it removed).
// event_text: full-text index over the text fields, its content in event.
// saved: what the last save of the data file covered (one row).
// saving: what the save under way covers, committed before its file takes
//   the data file's name (one row). A crash between that rename and the
//   commit of `saved` leaves a data file that only this row describes.
#pragma once

#include <string>
#include <string_view>

inline constexpr int kArchiveSchemaVersion = 2;

// The token of a transponder name in event_transponder, as SQL's
// 'x' || hex(name) makes it.
inline std::string TransponderKey(std::string_view name)
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
CREATE INDEX event_by_locking ON event(locking, event_time);
CREATE INDEX event_refused ON event(event_time) WHERE status <> 0;
CREATE VIRTUAL TABLE event_text USING fts5(
  description, name, locking, locking_system, transponder_name,
  content='event', content_rowid='seq');
CREATE VIRTUAL TABLE event_transponder USING fts5(key, content='', detail='none');
CREATE TABLE transponder_names(name TEXT PRIMARY KEY) WITHOUT ROWID;
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
)sql";

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
