#include "fresh_profile.h"

#include <windows.h>

#include <filesystem>

#include "app_directory.h"
#include "event_file.h"

void UseFreshProfile(const QString&)
{
    // The whole vendor key: the first read creates the chain below it again.
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Zentrovo");
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(GetAppDirectory()) / kEventFileName, ignored);
}
