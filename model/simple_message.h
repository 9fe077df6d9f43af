// CSimpleMessage: one event reported by the lock-management software.
//
// A plain value type. Texts are byte strings in the local 8-bit encoding;
// ints are signed 32-bit. The defaults below are part of the data file's
// meaning (a default slot is written to disk as it is), so keep them exact.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "event_level.h"

class CArchiveWriter;
class CArchiveReader;

// Door-monitoring state. Memory order is doorOpen, boltPos, manip, err; texts
// and the data file carry them as boltPos, doorOpen, err, manip.
struct CDoorMonEvt {
    int32_t doorOpen = 0;
    int32_t boltPos = 0;
    int32_t manip = 0;
    int32_t err = 0;
};

class CSimpleMessage {
public:
    int32_t version = 7;
    int32_t type = 0;
    std::string date;  // "YYYY.MM.DD", local time
    std::string time;  // "HH:MM:SS", local time
    std::string name;
    std::string desc;
    std::string sysName;
    std::string lockName;
    std::string gid;
    std::string mid;
    int32_t sid = 0;
    int32_t lid = 0;
    int32_t tid = 65535;
    int32_t level = 0;
    int32_t extra1 = 0;
    std::string trnsName;
    int32_t ttime = 0;  // seconds since 1970 UTC; 0 means "no time"
    int32_t addr = -1;
    int32_t extra2 = 0;
    CDoorMonEvt doorMonEvt;
    int32_t analogInput = 0;
    int32_t read = 0;

    // Replaces the whole record by the content of one event text.
    void Parse(std::string_view text);

    // The data-file form. Writing stores version 8, the file's, and leaves
    // the record as it is: its version is part of what identifies the event
    // (SameEvent). Reading replaces the whole record and returns false when
    // the bytes end inside it (the record is then incomplete and must not be
    // used).
    static constexpr int32_t kFileVersion = 8;
    void Serialize(CArchiveWriter& ar) const;
    bool Serialize(CArchiveReader& ar);
    // The layout of an earlier version, which the system itself never
    // writes; for building old files to test the reader with.
    void SerializeAsVersion(CArchiveWriter& ar, int32_t fileVersion) const;

    // Recomputes date and time from ttime in the machine's local time zone.
    void SetDateTimeFromTtime();

    // Type 3 is the only event type with a meaning inside the system.
    bool IsTransponderEvent() const { return type == 3; }
};

// Why the store refuses this record whatever else it holds, or null when it
// takes it: every event needs a time, a transponder event an address in
// 0..2048. (A transponder event it holds already is refused too; only the
// store can tell that.)
const char* WhyNotStorable(const CSimpleMessage& msg);

// The same event in two copies: its version, every text and number it came
// with, and the date and time made from its event time are equal. The read
// flag is not compared, as the user changes it while the event stays the
// same. Nothing else changes while the event is stored (a save writes
// version 8 to the file but leaves the record's own), so a window's copy
// finds its event again after the store changed.
bool SameEvent(const CSimpleMessage& a, const CSimpleMessage& b);

// Cuts the next comma-separated token off the front of rest. Leaves token
// alone when rest is empty (the parser relies on that for short texts).
void NextToken(std::string& token, std::string& rest);

// C atoi(), but a value beyond the int range saturates instead of being
// undefined.
int32_t AtoiSaturating(std::string_view text);

// "%Y.%m.%d" and "%H:%M:%S" of a calendar time, in local time; and both,
// date first, from one conversion.
std::string FormatLocalDate(int32_t ttime);
std::string FormatLocalTime(int32_t ttime);
std::string FormatLocalDateTime(int32_t ttime);

// time, one space, date: when the event happened, as the navigator and the
// notifications say it.
std::string TimeDateText(const CSimpleMessage& rec);
