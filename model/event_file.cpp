#include "event_file.h"

#include <ctime>
#include <filesystem>
#include <new>

#include "app_directory.h"
#include "event_file_format.h"
#include "event_store.h"
#include "file_replace.h"
#include "regular_file.h"

namespace {

// A data file that the load could neither set aside nor copy: it holds the
// only copy of the events behind its damage, so no save may write over it.
// Set by the load, before any other thread uses the store; read and cleared
// by saves, which hold g_StoreMutex.
std::string s_strKeptDamaged;

FileOutcome Outcome(FileOutcome::Kind kind, std::string path = {})
{
    FileOutcome outcome;
    outcome.kind = kind;
    outcome.path = std::move(path);
    return outcome;
}

// YYYYMMDD-HHMMSS in UTC, so that names sort by time whatever the zone.
std::string UtcStamp(std::time_t now)
{
    char stamp[32] = {};
    if (const std::tm* utc = std::gmtime(&now))
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", utc);
    return stamp;
}

// Puts a data file that could not be read whole where no save reaches it:
// beside itself, or, where its folder refuses that, as a copy of its bytes
// (when it could be read at all) in the rescue folder.
void SetAsideDamaged(FileOutcome& outcome, const std::string* bytes, const std::string& rescueDirectory,
                     std::time_t now)
{
    outcome.setAsideAs = MoveToFreeName(outcome.path, outcome.path + std::string(kDamagedSuffix));
    if (!outcome.setAsideAs.empty()) {
        outcome.setAside = SetAside::kBeside;
        return;
    }
    if (bytes && !rescueDirectory.empty() && MakePrivateFolder(rescueDirectory))
        outcome.setAsideAs = WriteToFreeName(
            EventFilePath(rescueDirectory) + std::string(kDamagedCopySuffix) + UtcStamp(now), *bytes);
    if (!outcome.setAsideAs.empty()) {
        outcome.setAside = SetAside::kCopied;
        return;
    }
    outcome.setAside = SetAside::kNowhere;
    s_strKeptDamaged = outcome.path;
}

// A save may go ahead over the kept damaged file once it is gone or can be
// set aside after all (the folder was made writable meanwhile).
bool KeptDamagedIsOutOfTheWay(const std::string& path)
{
    std::error_code error;
    const bool present = std::filesystem::exists(std::filesystem::symlink_status(path, error));
    if (present && MoveToFreeName(path, path + std::string(kDamagedSuffix)).empty())
        return false;
    s_strKeptDamaged.clear();
    return true;
}

}  // namespace

std::string EventFilePath(const std::string& directory)
{
    return directory + kPathSeparator + std::string(kEventFileName);
}

std::string EventFilePath() { return EventFilePath(GetAppDirectory()); }

FileOutcome SaveEventFile(const SaveBytesHook& beforeReplace) { return SaveEventFile(GetAppDirectory(), beforeReplace); }

FileOutcome SaveEventFile(const std::string& directory, const SaveBytesHook& beforeReplace)
{
    std::lock_guard<std::recursive_mutex> lock(g_StoreMutex);
    if (directory.empty())
        return Outcome(FileOutcome::NoDirectory);
    const std::string path = EventFilePath(directory);
    if (path == s_strKeptDamaged && !KeptDamagedIsOutOfTheWay(path))
        return Outcome(FileOutcome::NotOverwritten, path);
    if (!MakePrivateFolder(directory))
        return Outcome(FileOutcome::OpenFailed, path);
    std::string bytes;
    try {
        bytes = EncodeEventFile();
    } catch (const std::bad_alloc&) {
        return Outcome(FileOutcome::WriteFailed, path);
    }
    if (beforeReplace)
        beforeReplace(bytes);
    switch (ReplaceFileContents(path, bytes)) {
    case ReplaceResult::Replaced: return Outcome(FileOutcome::Saved, path);
    case ReplaceResult::OpenFailed: return Outcome(FileOutcome::OpenFailed, path);
    case ReplaceResult::WriteFailed: break;
    }
    return Outcome(FileOutcome::WriteFailed, path);
}

FileOutcome LoadEventFile(CSimpleMessage& shown) { return LoadEventFile(shown, GetAppDirectory()); }

FileOutcome LoadEventFile(CSimpleMessage& shown, const std::string& directory)
{
    return LoadEventFile(shown, directory, GetRescueDirectory(), std::time(nullptr));
}

FileOutcome LoadEventFile(CSimpleMessage& shown, const std::string& directory, const std::string& rescueDirectory,
                          std::time_t now)
{
    if (directory.empty())
        return Outcome(FileOutcome::NoDirectory);
    FileOutcome outcome = Outcome(FileOutcome::Loaded, EventFilePath(directory));
    if (outcome.path == s_strKeptDamaged)
        s_strKeptDamaged.clear();
    std::string bytes;
    switch (ReadRegularFile(outcome.path, &bytes)) {
    case ReadResult::kMissing: return Outcome(FileOutcome::NoFile, outcome.path);
    case ReadResult::kFailed:
        outcome.kind = FileOutcome::OpenFailed;
        SetAsideDamaged(outcome, nullptr, rescueDirectory, now);
        return outcome;
    case ReadResult::kRead: break;
    }
    try {
        const FileOutcome loaded = LoadEventBytes(bytes, shown);
        outcome.kind = loaded.kind;
        outcome.damagedAt = loaded.damagedAt;
    } catch (const std::bad_alloc&) {
        outcome.kind = FileOutcome::OpenFailed;  // the store is left as it was
    }
    if (outcome.kind != FileOutcome::Loaded)
        SetAsideDamaged(outcome, &bytes, rescueDirectory, now);
    return outcome;
}

FileOutcome RescueEventFile(std::time_t now) { return RescueEventFile(GetRescueDirectory(), now); }

FileOutcome RescueEventFile(const std::string& directory, std::time_t now)
{
    std::lock_guard<std::recursive_mutex> lock(g_StoreMutex);
    if (directory.empty())
        return Outcome(FileOutcome::NoDirectory);
    const std::string path = EventFilePath(directory) + std::string(kRescueSuffix) + UtcStamp(now);
    std::string written;
    try {
        if (MakePrivateFolder(directory))
            written = WriteToFreeName(path, EncodeEventFile());
    } catch (const std::bad_alloc&) {
        // nothing written: reported below like any other failure
    }
    if (written.empty())
        return Outcome(FileOutcome::RescueFailed, path);
    return Outcome(FileOutcome::Rescued, written);
}

FileOutcome LoadEventBytes(std::string_view bytes, CSimpleMessage& shown)
{
    CStoreImage image = DecodeEventFile(bytes);
    const int64_t damagedAt = image.damagedAt;
    InstallStoreImage(std::move(image), shown);
    FileOutcome outcome = Outcome(damagedAt >= 0 ? FileOutcome::Damaged : FileOutcome::Loaded);
    outcome.damagedAt = damagedAt;
    return outcome;
}
