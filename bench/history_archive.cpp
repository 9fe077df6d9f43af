#include "history_archive.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "generated_archive.h"
#include "sqlite_handles.h"

CBenchArchive::CBenchArchive()
{
    const char* kept = std::getenv("TELLVANE_HISTORY_ARCHIVE");
    m_strPath = kept ? kept
                     : (std::filesystem::temp_directory_path() /
                        ("tellvane-history-bench-" + std::to_string(std::random_device()()) + ".sqlite"))
                           .string();
    m_bTemporary = !kept;
    if (!kept || !std::filesystem::exists(m_strPath)) {
        // The generated events live only while they are written.
        const std::string error = WriteGeneratedArchive(m_strPath, GenerateEvents(kEvents));
        if (!error.empty()) {
            std::fprintf(stderr, "cannot build %s: %s\n", m_strPath.c_str(), error.c_str());
            std::exit(1);
        }
    }
    m_Reader = OpenHistoryReader(m_strPath);
    if (m_Reader.m_eResult != EHistoryOpen::Ok) {
        std::fprintf(stderr, "cannot open %s: %s\n", m_strPath.c_str(), m_Reader.m_strError.c_str());
        std::exit(1);
    }
    m_nLast = QueryInt(Db(), "SELECT max(event_time) FROM event");
}

CBenchArchive::~CBenchArchive()
{
    m_Reader.m_Db.reset();
    if (m_bTemporary)
        RemoveGeneratedArchive(m_strPath);
}

CBenchArchive& BenchArchive()
{
    static CBenchArchive archive;
    return archive;
}
