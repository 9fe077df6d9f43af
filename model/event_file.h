// Saving and loading the event store. The functions report what happened and
// to which file; the caller words the message (file_outcome_text.h).
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>

#include "simple_message.h"

// Where a data file that could not be read whole was put, so that no save
// writes over the only copy of what it holds.
enum class SetAside {
    kNotNeeded,  // it was read whole, or there was none
    kBeside,     // renamed beside itself: zqtvane.dat.damaged (.1, .2 ...)
    kCopied,     // its folder refused the rename: copied, byte for byte, to the rescue folder
    kNowhere,    // neither: it is left as it is, and no save writes over it
};

struct FileOutcome {
    enum Kind {
        Saved, Loaded, NoFile, NoDirectory, OpenFailed, WriteFailed, Damaged, Rescued,
        RescueFailed,    // the rescue copy could not be written
        NotOverwritten,  // the save was refused: the data file holds damage of which no copy could be kept
    };
    Kind kind = Loaded;
    std::string path;                      // the data file; for Rescued and RescueFailed the rescue copy
    SetAside setAside = SetAside::kNotNeeded;  // a load that found the file damaged or unreadable
    std::string setAsideAs;                // the name it was moved to or copied to (kBeside, kCopied)
    int64_t damagedAt = -1;                // byte offset of the first unreadable value
};

inline constexpr std::string_view kEventFileName = "zqtvane.dat";
inline constexpr std::string_view kDamagedSuffix = ".damaged";
inline constexpr std::string_view kDamagedCopySuffix = ".damaged-";  // then the UTC time, YYYYMMDD-HHMMSS
inline constexpr std::string_view kRescueSuffix = ".rescue-";        // then the UTC time, YYYYMMDD-HHMMSS

std::string EventFilePath();
std::string EventFilePath(const std::string& directory);

// Writes the whole store, holding g_StoreMutex throughout. The previous file
// is replaced only by a complete new one, or rewritten in place where the
// folder takes no new file. The folder is created, private, if missing; the
// file is private. A data file that the load found damaged and could keep no
// copy of is never written over (NotOverwritten) until it can be set aside.
// beforeReplace sees the complete bytes before they take the file's name.
using SaveBytesHook = std::function<void(std::string_view bytes)>;
FileOutcome SaveEventFile(const SaveBytesHook& beforeReplace = {});
FileOutcome SaveEventFile(const std::string& directory, const SaveBytesHook& beforeReplace = {});

// Reads the file once at start-up into the store and sets shown to the
// newest arrival. A missing file is silent and leaves the store as it is.
// The file is opened without waiting and read only when it is a regular
// file. One that cannot be read whole (damaged, unreadable, not a file)
// keeps the whole records before the damage and is renamed to
// zqtvane.dat.damaged (or .damaged.1, .2 ... when that is taken); where its
// folder refuses that, its bytes are copied to the rescue folder as
// zqtvane.dat.damaged-YYYYMMDD-HHMMSS (UTC, at `now`) before any save can
// write over it. Runs before any other thread uses the store.
FileOutcome LoadEventFile(CSimpleMessage& shown);
FileOutcome LoadEventFile(CSimpleMessage& shown, const std::string& directory);
FileOutcome LoadEventFile(CSimpleMessage& shown, const std::string& directory, const std::string& rescueDirectory,
                          std::time_t now);

// When the save at exit failed: the store goes to a new private file
// zqtvane.dat.rescue-YYYYMMDD-HHMMSS (UTC, at `now`) in the rescue folder, so
// that leaving loses nothing. Rescued, or RescueFailed, naming the file.
FileOutcome RescueEventFile(std::time_t now);
FileOutcome RescueEventFile(const std::string& directory, std::time_t now);

// The loading steps over bytes already read (Loaded or Damaged).
FileOutcome LoadEventBytes(std::string_view bytes, CSimpleMessage& shown);
