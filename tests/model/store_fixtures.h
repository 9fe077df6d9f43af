// Helpers shared by the data-file tests: a scratch folder, whole-file I/O,
// and the store's invariants.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "event_store.h"

class ScratchFolder {
public:
    ScratchFolder()
    {
        std::random_device random;
        const auto base = std::filesystem::temp_directory_path();
        do
            m_path = (base / ("tellvane-" + std::to_string(random()))).string();
        while (!std::filesystem::create_directory(m_path));
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::string& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
}

// What every reader of the store relies on, whatever a load found.
inline void ExpectConsistentStore()
{
    EXPECT_GE(max_used_item, -1);
    EXPECT_LT(max_used_item, max_messages);
    EXPECT_GE(static_cast<int>(g_Array.size()), max_messages);
    EXPECT_GE(static_cast<int>(g_Pos.size()), max_messages);
    EXPECT_GE(static_cast<int>(g_PosList.size()), max_messages);
    for (int p = 1; p <= max_used_item; ++p)
        EXPECT_LE(g_Array[g_Pos[p - 1]].ttime, g_Array[g_Pos[p]].ttime);
}

// A type-1 event whose texts and numbers all differ from the defaults.
inline std::string FullEvent(int ttime, const std::string& tag)
{
    return "8,1," + std::to_string(ttime) + ",name " + tag + ",desc " + tag +
           ",site,lock,11,12,g7,m3,1,4711,13,key " + tag + ",5,14,15,16,17,18,19";
}
