// The event archive's settings, beside the others under the same key, read
// at start-up; a missing value reads as its default. No dialog writes them:
// a site sets them in the settings file.
#pragma once

#include <cstdint>

extern int32_t gArchive;      // 1: archive every answered text; 0: no archive
extern int32_t gArchiveDays;  // texts that arrived longer ago are removed; 0 keeps all
extern int32_t gArchiveSync;  // 1: a commit survives a crash; 2: a power cut too
extern int32_t gDurableOk;    // 1: "OK" only once the text is on disk

inline constexpr int32_t kDefaultArchiveDays = 365;
inline constexpr int32_t kMaxArchiveDays = 3650;
inline constexpr int32_t kArchiveSyncNormal = 1;
inline constexpr int32_t kArchiveSyncFull = 2;

// Reads the four values. Days outside 0..3650 are brought into the range,
// a sync other than 2 reads as 1, and anything but 0 and 1 as the switch's
// default.
void ReadArchiveSettings();
void ResetArchiveSettings();

// What the settings ask of the archive together: durable answers need every
// commit on the disk, and mean nothing without an archive.
bool ArchiveFullSync();
bool AnswersWhenArchived();
