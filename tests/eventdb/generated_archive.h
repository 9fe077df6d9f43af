// An archive of generated events in the archive's own schema, for the
// History tests and benchmark. The events stay in memory as well, so that a
// test can count matches itself instead of asking SQL.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CGeneratedEvent {
    int64_t seq = 0;
    int64_t arrival_ms = 0;
    int status = 0;
    int level = 0;
    int64_t event_time = 0;
    int type = 0;
    int64_t transponder = 65535;
    std::string locking;
    std::string locking_system;
    std::string transponder_name;
    std::string description;
    std::string name;
};

// 2023-01-01 00:00 UTC.
inline constexpr int64_t kGeneratedFirstTime = 1672531200;

// count events whose times spread over span seconds from firstTime, in
// arrival order: a site's lockings, key holders and messages, mostly
// messages, some warnings and alarms, a few refused texts (some without an
// event time), a few events delivered late (event time before the previous
// one's), and names with characters that mean something to SQL and to the
// full-text syntax (%, _, quotes, backslashes, parentheses, colons, *, -,
// AND, NEAR). The same count always gives the same events.
std::vector<CGeneratedEvent> GenerateEvents(size_t count, int64_t firstTime = kGeneratedFirstTime,
                                            int64_t span = 3 * 365 * 86400LL);

// Creates the archive at path (replacing a file there) and writes events
// into it as texts, through the archive writer's own rows, so that its
// indexes hold what the program's would. Empty on success, else the reason.
std::string WriteGeneratedArchive(const std::string& path, const std::vector<CGeneratedEvent>& events);

// Removes the archive at path with its WAL files, which a read-only
// connection leaves behind.
void RemoveGeneratedArchive(const std::string& path);
