// The event archive's schema, version 1 (PRAGMA user_version). Other tools
// read archive.sqlite while Tellvane runs, so these names are an interface:
// add columns and tables in later versions, never rename or drop.
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
// event_by_transponder lets a search by transponder name read only that
//   name's events; event_refused (only the few refused texts) lets a count
//   leave them out without reading every row's status.
// event_text: full-text index over the text fields, its content in event.
// saved: what the last save of the data file covered (one row).
#pragma once

inline constexpr int kArchiveSchemaVersion = 1;

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
CREATE INDEX event_by_transponder ON event(transponder_name, event_time);
CREATE INDEX event_refused ON event(event_time) WHERE status <> 0;
CREATE VIRTUAL TABLE event_text USING fts5(
  description, name, locking, locking_system, transponder_name,
  content='event', content_rowid='seq');
CREATE TABLE saved(
  id        INTEGER PRIMARY KEY CHECK (id = 1),
  last_seq  INTEGER NOT NULL,
  file_size INTEGER NOT NULL,
  file_hash INTEGER NOT NULL
);
)sql";
