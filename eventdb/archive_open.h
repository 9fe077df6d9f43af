// Opening the event archive: archive.sqlite beside the data file, made when
// missing, its schema created or brought up to date, and an archive that
// cannot be read set aside (never replaced) for a new one.
//
// Called by whoever owns the connection next: the program's start-up thread
// for the first opening, the archive's writer thread for later ones.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "archive_rows.h"
#include "sqlite_handles.h"

inline constexpr std::string_view kArchiveFileName = "archive.sqlite";
// A damaged archive becomes archive.sqlite.damaged, then .damaged.1, .2 ...
inline constexpr std::string_view kArchiveDamagedSuffix = ".damaged";

std::string ArchivePath(const std::string& folder);

struct CArchiveOpening {
    CSqliteDb m_db;                        // empty when the archive could not be made
    std::unique_ptr<CArchiveRows> m_pRows;  // its writes, prepared
    int64_t m_nHighestSeq = 0;             // the highest number it has used; 0 for a new one
    std::string m_strReason;               // why there is no m_db
    std::string m_strSetAside;             // the name a damaged archive was given, if one was
};

// Opens, or makes, the archive in folder (made private if missing; a new
// file is private too). synchronous=FULL when fullSync, else NORMAL. The
// check of an existing archive reads its header, its schema and the end of
// its table, never the whole file, so that start-up stays quick however
// large it has grown; damage found later shows as a failed commit.
CArchiveOpening OpenArchive(const std::string& folder, bool fullSync);

// Moves the archive at path aside to the first free damaged name, its
// write-ahead log beside it so that the two still open together; its
// shared-memory index goes (SQLite rebuilds it). The name taken, or empty
// when it could not be moved; then reason says why.
std::string SetArchiveAside(const std::string& path, std::string& reason);
