#include "event_file.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <new>
#include <stdexcept>

#include "app_directory.h"
#include "event_file_format.h"
#include "event_store.h"
#include "file_replace.h"
#include "string_table.h"

namespace {

enum class ReadResult { Read, Missing, Failed };

ReadResult ReadWholeFile(const std::string& path, std::string* bytes)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    std::error_code unknownSize;
    const auto size = std::filesystem::file_size(path, unknownSize);
    try {
        if (!unknownSize)
            bytes->reserve(size);
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
            bytes->append(buffer, n);
    } catch (const std::exception&) {
        return ReadResult::Failed;  // too large to hold: as unreadable as a bad disk
    }
    return std::ferror(file.get()) ? ReadResult::Failed : ReadResult::Read;
}

FileOutcome NoDirectory() { return {FileOutcome::NoDirectory, std::string(kTextNoDirectory)}; }

FileOutcome CouldNotOpen(FileOutcome::Kind kind, const std::string& path)
{
    return {kind, std::string(kTextCouldNotOpen) + path};
}

}  // namespace

std::string EventFilePath(const std::string& directory)
{
    return directory + kPathSeparator + std::string(kEventFileName);
}

std::string EventFilePath() { return EventFilePath(GetAppDirectory()); }

FileOutcome SaveEventFile() { return SaveEventFile(GetAppDirectory()); }

FileOutcome SaveEventFile(const std::string& directory)
{
    std::lock_guard<std::recursive_mutex> lock(g_StoreMutex);
    if (directory.empty())
        return NoDirectory();
    const std::string path = EventFilePath(directory);
    if (!MakePrivateFolder(directory))
        return CouldNotOpen(FileOutcome::OpenFailed, path);
    std::string bytes;
    try {
        bytes = EncodeEventFile();
    } catch (const std::bad_alloc&) {
        return CouldNotOpen(FileOutcome::WriteFailed, path);
    }
    switch (ReplaceFileContents(path, bytes)) {
    case ReplaceResult::Replaced: return {FileOutcome::Saved, {}};
    case ReplaceResult::OpenFailed: return CouldNotOpen(FileOutcome::OpenFailed, path);
    case ReplaceResult::WriteFailed: break;
    }
    return CouldNotOpen(FileOutcome::WriteFailed, path);
}

FileOutcome LoadEventFile(CSimpleMessage& shown) { return LoadEventFile(shown, GetAppDirectory()); }

FileOutcome LoadEventFile(CSimpleMessage& shown, const std::string& directory)
{
    if (directory.empty())
        return NoDirectory();
    const std::string path = EventFilePath(directory);
    // A file that cannot be read whole is set aside, so that the next save
    // does not replace the only copy of what it holds.
    const auto setAside = [&path] { MoveToFreeName(path, path + std::string(kDamagedSuffix)); };
    std::string bytes;
    switch (ReadWholeFile(path, &bytes)) {
    case ReadResult::Missing: return {FileOutcome::NoFile, {}};
    case ReadResult::Failed: setAside(); return {FileOutcome::OpenFailed, {}};
    case ReadResult::Read: break;
    }
    FileOutcome outcome;
    try {
        outcome = LoadEventBytes(bytes, shown);
    } catch (const std::bad_alloc&) {
        setAside();
        return {FileOutcome::OpenFailed, {}};  // the store is left as it was
    }
    if (outcome.kind == FileOutcome::Damaged)
        setAside();
    return outcome;
}

FileOutcome RescueEventFile(std::time_t now) { return RescueEventFile(GetRescueDirectory(), now); }

FileOutcome RescueEventFile(const std::string& directory, std::time_t now)
{
    std::lock_guard<std::recursive_mutex> lock(g_StoreMutex);
    if (directory.empty())
        return NoDirectory();
    char stamp[32] = {};
    if (const std::tm* utc = std::gmtime(&now))
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", utc);
    const std::string path = EventFilePath(directory) + std::string(kRescueSuffix) + stamp;
    std::string written;
    try {
        if (MakePrivateFolder(directory))
            written = WriteToFreeName(path, EncodeEventFile());
    } catch (const std::bad_alloc&) {
        // nothing written: reported below like any other failure
    }
    if (written.empty())
        return {FileOutcome::WriteFailed, std::string(kTextCouldNotWrite) + path};
    return {FileOutcome::Rescued, std::string(kTextRescued) + written};
}

FileOutcome LoadEventBytes(std::string_view bytes, CSimpleMessage& shown)
{
    CStoreImage image = DecodeEventFile(bytes);
    const int64_t damagedAt = image.damagedAt;
    InstallStoreImage(std::move(image), shown);
    if (damagedAt >= 0)
        return {FileOutcome::Damaged, {}, damagedAt};
    return {FileOutcome::Loaded, {}};
}
