#include "file_replace.h"

#include <utility>

namespace {

// Far more copies than any folder will hold; it only bounds the search.
constexpr int kMaxNumberedCopies = 100000;

}  // namespace

std::string FirstFreeName(const std::string& base, const std::function<NameAttempt(const std::string&)>& attempt)
{
    for (int n = 0; n < kMaxNumberedCopies; ++n) {
        const std::string name = n == 0 ? base : base + "." + std::to_string(n);
        switch (attempt(name)) {
        case NameAttempt::kTaken: return name;
        case NameAttempt::kExists: break;
        case NameAttempt::kFailed: return {};
        }
    }
    return {};
}

std::string MoveToFreeName(const std::string& from, const std::string& to)
{
    return FirstFreeName(to, [&from](const std::string& name) { return MoveIfFree(from, name); });
}

std::string WriteToFreeName(const std::string& path, std::string_view bytes)
{
    return FirstFreeName(path, [bytes](const std::string& name) { return WriteIfFree(name, bytes); });
}

ReplaceResult ReplaceFileContents(const std::string& path, std::string_view bytes, FileAccess access)
{
    CFileReplacement file(path, access);
    file.Append(bytes);
    return file.Commit();
}

CFileReplacement::CFileReplacement(std::string path, FileAccess access)
    : m_strPath(std::move(path)), m_eAccess(access)
{
    m_eResult = Open();
}

CFileReplacement::~CFileReplacement() { Abandon(); }

bool CFileReplacement::Append(std::string_view bytes)
{
    if (!Good() || m_bFinished)
        return false;
    if (m_bInPlace) {
        m_Gathered.append(bytes);
        return true;
    }
    // A part as large as a chunk goes out as it is, without a copy.
    if (bytes.size() >= kChunkBytes) {
        if (!WriteGathered() || !WriteOut(bytes)) {
            m_eResult = ReplaceResult::WriteFailed;
            Discard();
            return false;
        }
        return true;
    }
    if (m_Gathered.capacity() < kChunkBytes)
        m_Gathered.reserve(kChunkBytes);
    m_Gathered.append(bytes);
    return m_Gathered.size() < kChunkBytes || WriteGathered();
}

bool CFileReplacement::WriteGathered()
{
    if (m_Gathered.empty())
        return true;
    if (!WriteOut(m_Gathered)) {
        // The disk is full or gone: what was written is of no use to anyone.
        m_eResult = ReplaceResult::WriteFailed;
        Discard();
        return false;
    }
    m_Gathered.clear();
    return true;
}

ReplaceResult CFileReplacement::Commit()
{
    if (m_bFinished)
        return m_eResult;
    m_bFinished = true;
    if (!Good())
        return m_eResult;
    if (m_bInPlace)
        m_eResult = FinishInPlace(m_Gathered);
    else if (WriteGathered())
        m_eResult = FinishTemporary();
    m_Gathered = std::string();
    return m_eResult;
}

void CFileReplacement::Abandon()
{
    if (m_bFinished)
        return;
    m_bFinished = true;
    Discard();
    if (Good())
        m_eResult = ReplaceResult::WriteFailed;
    m_Gathered = std::string();
}
