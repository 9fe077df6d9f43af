// Saving and loading the event store. The functions report what happened;
// the navigator shows the message, if there is one, in a message box.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "simple_message.h"

struct FileOutcome {
    enum Kind { Saved, Loaded, NoFile, NoDirectory, OpenFailed, WriteFailed, Damaged, Rescued } kind;
    std::string message;     // message-box text; empty when nothing is to be shown
    int64_t damagedAt = -1;  // byte offset of the first unreadable value
};

inline constexpr std::string_view kEventFileName = "zqtvane.dat";
inline constexpr std::string_view kDamagedSuffix = ".damaged";
inline constexpr std::string_view kRescueSuffix = ".rescue-";  // then the UTC time, YYYYMMDD-HHMMSS

std::string EventFilePath();
std::string EventFilePath(const std::string& directory);

// Writes the whole store, holding g_StoreMutex throughout. The previous file
// is replaced only by a complete new one, or rewritten in place where the
// folder takes no new file. The folder is created, private, if missing; the
// file is private.
FileOutcome SaveEventFile();
FileOutcome SaveEventFile(const std::string& directory);

// Reads the file once at start-up into the store and sets shown to the
// newest arrival. A missing or unreadable file is silent and leaves the store
// as it is. A damaged one keeps the whole records before the damage and is
// renamed to zqtvane.dat.damaged (or .damaged.1, .2 ... when that is taken),
// so the next save cannot overwrite the only copy of what could not be read.
FileOutcome LoadEventFile(CSimpleMessage& shown);
FileOutcome LoadEventFile(CSimpleMessage& shown, const std::string& directory);

// When the save at exit failed: the store goes to a new private file
// zqtvane.dat.rescue-YYYYMMDD-HHMMSS (UTC, at `now`) in the rescue folder, so
// that leaving loses nothing. Rescued with a message naming the file, or
// WriteFailed with one naming the file that could not be written.
FileOutcome RescueEventFile(std::time_t now);
FileOutcome RescueEventFile(const std::string& directory, std::time_t now);

// The loading steps over bytes already read (Loaded or Damaged).
FileOutcome LoadEventBytes(std::string_view bytes, CSimpleMessage& shown);
