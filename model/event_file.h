// Saving and loading the event store. The functions report what happened;
// the navigator shows the message, if there is one, in a message box.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "simple_message.h"

struct FileOutcome {
    enum Kind { Saved, Loaded, NoFile, NoDirectory, OpenFailed, WriteFailed, Damaged } kind;
    std::string message;     // message-box text; empty when nothing is to be shown
    int64_t damagedAt = -1;  // byte offset of the first unreadable value
};

inline constexpr std::string_view kEventFileName = "zqtvane.dat";
inline constexpr std::string_view kDamagedSuffix = ".damaged";

std::string EventFilePath();
std::string EventFilePath(const std::string& directory);

// Writes the whole store, holding g_StoreMutex throughout. The previous file
// is replaced only by a complete new one. The folder is created if missing.
FileOutcome SaveEventFile();
FileOutcome SaveEventFile(const std::string& directory);

// Reads the file once at start-up into the store and sets shown to the
// newest arrival. A missing or unreadable file is silent and leaves the store
// as it is. A damaged one keeps the whole records before the damage and is
// renamed to zqtvane.dat.damaged, so the next save cannot overwrite the only
// copy of what could not be read.
FileOutcome LoadEventFile(CSimpleMessage& shown);
FileOutcome LoadEventFile(CSimpleMessage& shown, const std::string& directory);

// The loading steps over bytes already read (Loaded or Damaged).
FileOutcome LoadEventBytes(std::string_view bytes, CSimpleMessage& shown);
