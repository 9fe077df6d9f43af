// Helpers for the archive's tests: a scratch folder with an archive in it,
// event texts, and a connection of the test's own to look at what was
// written, as another reader of archive.sqlite would.
#pragma once

#include <sqlite3.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "archive_open.h"
#include "event_archive.h"
#include "sqlite_handles.h"
#include "store_fixtures.h"
#include "wait_until.h"

// A version-8 transponder event; n makes its time and transponder its own.
inline std::string EventText(int n, const std::string& lock = "Door 12")
{
    return "8,3," + std::to_string(1299506709 + n) + ",Anna,Door opened,Site 1," + lock + ",1,12,7,3,0," +
           std::to_string(4000 + n) + ",0,Key " + std::to_string(n) + ",5,0,1,0,0,0,235";
}

inline const CPeer kSender{4242, 1000};

class ArchiveTest : public ::testing::Test {
protected:
    CEventArchiveOptions Options() const
    {
        CEventArchiveOptions options;
        options.m_strFolder = m_folder.Path();
        return options;
    }

    std::string ArchiveFile() const { return ArchivePath(m_folder.Path()); }

    // A connection of the test's own, as sqlite3 on the command line has.
    CSqliteDb Look() const
    {
        CSqliteDb db;
        EXPECT_EQ(OpenSqlite(ArchiveFile(), false, db), SQLITE_OK);
        sqlite3_busy_timeout(db.get(), 5000);
        return db;
    }

    static std::vector<int64_t> Column(sqlite3* db, const char* sql)
    {
        std::vector<int64_t> values;
        CStatement query;
        EXPECT_TRUE(query.Prepare(db, sql)) << sqlite3_errmsg(db);
        while (query.Step() == SQLITE_ROW)
            values.push_back(query.Int(0));
        return values;
    }

    ScratchFolder m_folder;
};
