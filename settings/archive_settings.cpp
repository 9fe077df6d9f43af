#include "archive_settings.h"

#include <algorithm>

#include "settings.h"

int32_t gArchive = 1;
int32_t gArchiveDays = kDefaultArchiveDays;
int32_t gArchiveSync = kArchiveSyncNormal;
int32_t gDurableOk = 0;

namespace {

int32_t ReadSwitch(const char* name, int32_t def)
{
    const int32_t value = ReadSettingDword(name, def);
    return value == 0 || value == 1 ? value : def;
}

}  // namespace

void ReadArchiveSettings()
{
    gArchive = ReadSwitch("gArchive", 1);
    gArchiveDays = std::clamp(ReadSettingDword("gArchiveDays", kDefaultArchiveDays), 0, kMaxArchiveDays);
    gArchiveSync = ReadSettingDword("gArchiveSync", kArchiveSyncNormal) == kArchiveSyncFull ? kArchiveSyncFull
                                                                                           : kArchiveSyncNormal;
    gDurableOk = ReadSwitch("gDurableOk", 0);
}

void ResetArchiveSettings()
{
    gArchive = 1;
    gArchiveDays = kDefaultArchiveDays;
    gArchiveSync = kArchiveSyncNormal;
    gDurableOk = 0;
}

bool ArchiveFullSync() { return gArchiveSync == kArchiveSyncFull || AnswersWhenArchived(); }

bool AnswersWhenArchived() { return gArchive != 0 && gDurableOk != 0; }
