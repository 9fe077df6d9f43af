// What the last save of the data file covered: the number of the last text
// the saved store had drained, and the file's size and hash, so that start-up
// can tell whether the data file it loaded is the one that save wrote.
// Everything here may be called on any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct CFileFingerprint {
    int64_t m_nSize = 0;
    uint64_t m_nHash = 0;  // 64-bit FNV-1a, the same on every build and platform

    bool operator==(const CFileFingerprint&) const = default;
};

struct CSaveMarker {
    int64_t m_nLastSeq = 0;
    CFileFingerprint m_File;

    bool operator==(const CSaveMarker&) const = default;
};

// A save is marked twice: before its file takes the data file's name, and
// after. Whichever moment a crash picks, one of the two describes the data
// file the next start finds.
enum class SaveStage { kUnderWay, kDone };

// 64-bit FNV-1a of bytes: simple, stable across compilers and byte orders,
// and enough to tell a data file from another one (not an attacker's).
uint64_t HashBytes(std::string_view bytes);

CFileFingerprint FingerprintBytes(std::string_view bytes);

// The fingerprint of the file at path, read in pieces; empty when it cannot
// be read.
std::optional<CFileFingerprint> FingerprintFile(const std::string& path);
