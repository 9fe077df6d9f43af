#include "generated_archive.h"

#include <sqlite3.h>

#include <array>
#include <cstdio>

#include "archive_rows.h"
#include "archive_schema.h"
#include "sqlite_handles.h"

namespace {

// Fixed arithmetic rather than <random>'s distributions, whose results the
// standard leaves to each library: the same events on every platform.
class CRandom {
public:
    explicit CRandom(uint64_t seed) : m_nState(seed) {}
    uint64_t Next()
    {
        uint64_t z = (m_nState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }
    bool Chance(unsigned perMillion) { return Next() % 1000000 < perMillion; }

private:
    uint64_t m_nState;
};

// Names a site might give, and some that test the search syntax and SQL.
// None holds a double quote: a text has no escaping, and its reader turns
// every double quote into a space, so no archived name can hold one.
const std::array kOddLockings = {
    "Main entrance", "Server room", "Garage", "Archive", "Lab 50% wing", "Store_room 2", "Back\\door",
    "Door (north)", "Room 'A'", "Office: 3", "NEAR hall", "Robert'); DROP TABLE event;--", "Stairs AND lift",
    "Wing-C", "Vault*", "Door 12 annex",
};
const std::array kSystems = {"Site East", "Site West", "Headquarters", "Depot"};
const std::array kFirstNames = {
    "Anna", "Ben", "Clara", "David", "Eva", "Felix", "Greta", "Hans", "Ida", "Jonas", "Karin", "Lukas", "Mia", "Noah",
    "Olga", "Paul", "Quinn", "Rosa", "Simon", "Tara", "Uwe", "Vera", "Walter", "Xenia", "Yusuf", "Zoe", "Ahmed",
    "Birgit", "Carlos", "Dana", "Emil", "Fatima", "Georg", "Hanna", "Igor", "Jana", "Kai", "Lena", "Marco", "Nina",
};
const std::array kLastNames = {
    "Meier",   "Schmidt", "Huber",   "Wagner", "Becker",   "Hoffmann", "Koch",      "Richter", "Klein",  "Wolf",
    "Neumann", "Schwarz", "Zimmer",  "Braun",  "Krueger",  "Hofmann",  "Hartmann",  "Lange",   "Werner", "Krause",
    "Lehmann", "Koehler", "Herrmann", "Walter", "Mayer",   "Peters",   "Moeller",   "Jung",    "Keller", "Fuchs",
    "Vogel",   "Roth",    "Beck",    "Lorenz", "Frank",    "Albrecht", "Simon",     "Ludwig",  "Boehm",  "Winter",
    "Kraus",   "Schuster", "Jaeger", "Otto",   "Sommer",   "Stein",    "Gross",     "Seidel",  "Heinz",  "O'Brien (Ben)",
};
struct CDescription {
    const char* text;
    int level;
};
const std::array kMessages = {
    "Door opened", "Access granted", "Door closed", "Door locked", "Code_42 reset", "Path C:\\locks\\log",
    "Operator (night) login", "Mode: manual", "SELECT * FROM event", "Passage 100% free",
};
const std::array kWarnings = {
    "Access denied", "Door left open", "Battery low", "Fire 'drill' started", "near miss - check",
    "Time window exceeded",
};
const std::array kAlarms = {"Manipulation alarm", "Door forced open", "Sabotage detected", "Emergency release"};

constexpr size_t kDoors = 200;
constexpr size_t kTransponders = 2000;

std::string Locking(size_t i)
{
    if (i < kDoors)
        return "Door " + std::to_string(i + 1);
    if (i < kDoors + 12)
        return "Gate East " + std::to_string(i - kDoors + 1);
    return kOddLockings[i - kDoors - 12];
}

std::string Holder(size_t t)
{
    if (t % 5 == 0)
        return "Key " + std::to_string(1000 + t);
    return std::string(kFirstNames[t % kFirstNames.size()]) + " " + kLastNames[(t / kFirstNames.size()) % kLastNames.size()];
}

template <class Texts>
const char* Pick(CRandom& random, const Texts& texts)
{
    return texts[random.Below(texts.size())];
}

std::string Raw(const CGeneratedEvent& e)
{
    char text[512];
    std::snprintf(text, sizeof text, "8,%d,%lld,%s,%s,%s,%s,1,1,7,3,%d,%lld,0,%s,5,0,0,0,0,0,0", e.type,
                  static_cast<long long>(e.event_time), e.name.c_str(), e.description.c_str(),
                  e.locking_system.c_str(), e.locking.c_str(), e.level, static_cast<long long>(e.transponder),
                  e.transponder_name.c_str());
    return text;
}

}  // namespace

std::vector<CGeneratedEvent> GenerateEvents(size_t count, int64_t firstTime, int64_t span)
{
    CRandom random(count);
    const size_t lockings = kDoors + 12 + kOddLockings.size();
    std::vector<CGeneratedEvent> events(count);
    for (size_t i = 0; i < count; ++i) {
        CGeneratedEvent& e = events[i];
        const int64_t base = firstTime + static_cast<int64_t>(static_cast<double>(span) * i / count);
        e.seq = static_cast<int64_t>(i) + 1;
        e.arrival_ms = base * 1000 + static_cast<int64_t>(random.Below(1000));
        // The odd names are rarer than the doors, as on a real site.
        const size_t lockingIndex = random.Chance(50000) ? kDoors + random.Below(lockings - kDoors)
                                                         : random.Below(kDoors);
        e.locking = Locking(lockingIndex);
        e.locking_system = kSystems[lockingIndex % kSystems.size()];
        const uint64_t levelRoll = random.Below(1000);
        if (levelRoll < 20) {
            e.level = 2;
            e.description = Pick(random, kAlarms);
        } else if (levelRoll < 100) {
            e.level = 1;
            e.description = Pick(random, kWarnings);
        } else {
            e.level = 0;
            e.description = Pick(random, kMessages);
        }
        if (random.Chance(500))
            e.level = 3;
        if (random.Below(10) < 7) {
            const size_t t = random.Below(kTransponders);
            e.type = 3;
            e.transponder = static_cast<int64_t>(1000 + t);
            e.transponder_name = Holder(t);
            e.name = e.transponder_name;
        } else {
            e.type = 1;
            e.name = random.Below(2) ? "System" : "";
        }
        e.event_time = base;
        if (i > 0 && events[i - 1].event_time != 0 && random.Chance(10000))  // a burst: events in one second
            e.event_time = events[i - 1].event_time;
        else if (random.Chance(20000))
            e.event_time -= static_cast<int64_t>(1 + random.Below(2 * 86400));
        if (random.Chance(2000)) {
            e.status = 2;
        } else if (random.Chance(4000)) {
            e.status = 1;
            if (random.Below(3) == 0)
                e.event_time = 0;
        }
    }
    return events;
}

void RemoveGeneratedArchive(const std::string& path)
{
    for (const char* suffix : {"", "-wal", "-shm"})
        std::remove((path + suffix).c_str());
}

std::string WriteGeneratedArchive(const std::string& path, const std::vector<CGeneratedEvent>& events)
{
    RemoveGeneratedArchive(path);
    CSqliteDb db;
    if (OpenSqlite(path, false, db) != SQLITE_OK)
        return ErrorText(db.get());
    // No wait for the disk: a test's archive need not survive a crash.
    const std::string schema = std::string("PRAGMA journal_mode=WAL; PRAGMA synchronous=OFF; BEGIN;") +
                               kArchiveSchemaSql + "PRAGMA user_version=" + std::to_string(kArchiveSchemaVersion) +
                               "; COMMIT;";
    CArchiveRows rows;
    if (Exec(db.get(), schema.c_str()) != SQLITE_OK || !rows.Prepare(db.get()))
        return ErrorText(db.get());

    const CPeer sender(4242, 1000);
    constexpr size_t kBatch = 10000;
    for (size_t i = 0; i < events.size(); ++i) {
        const CGeneratedEvent& e = events[i];
        if (i % kBatch == 0 && rows.Begin() != SQLITE_OK)
            return ErrorText(db.get());
        int rc = rows.InsertText(e.seq, e.arrival_ms, sender, Raw(e));
        // Every text carries a good address, so the writer refuses only
        // those without an event time; the other refusals and the
        // duplicates are marked as the drain marks them.
        if (rc == SQLITE_OK && e.status != kTextStored)
            rc = rows.SetStatus(e.seq, e.status);
        if (rc == SQLITE_OK && (i % kBatch == kBatch - 1 || i + 1 == events.size()))
            rc = rows.Commit();
        if (rc != SQLITE_OK)
            return ErrorText(db.get());
    }
    if (Exec(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)") != SQLITE_OK)
        return ErrorText(db.get());
    return {};
}
