// A read-only connection to the event archive for the History window. In
// WAL mode a reader never holds up the writer, nor the writer a reader.
//
// Open it on the thread that will run the queries; that thread alone uses
// it, except for sqlite3_interrupt, which any thread may call while the
// connection is open (the window's way of stopping a superseded query).
#pragma once

#include <string>

#include "sqlite_handles.h"

using CHistoryConnection = CSqliteDb;

enum class EHistoryOpen {
    Ok,
    Missing,     // no archive file (none written yet, or the archive is off)
    Unreadable,  // there is a file, but not an archive this version can read
};

struct CHistoryReader {
    CHistoryConnection m_Db;
    EHistoryOpen m_eResult = EHistoryOpen::Unreadable;
    std::string m_strError;  // SQLite's reason when Unreadable
};

// Opens path read-only and makes the functions the queries use known to the
// connection. Never creates the file.
CHistoryReader OpenHistoryReader(const std::string& path);
