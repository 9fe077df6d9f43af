#include "account_win32.h"

#include <sddl.h>

#include <memory>
#include <mutex>
#include <vector>

#include "account.h"
#include "wide_text_win32.h"

const std::string_view kAccountWordKind = "an account (a SID or DOMAIN\\name)";

namespace {

using CHandle = std::unique_ptr<void, decltype(&CloseHandle)>;

std::string SidText(PSID sid)
{
    LPSTR text = nullptr;
    if (!ConvertSidToStringSidA(sid, &text))
        return {};
    std::string result(text);
    LocalFree(text);
    return result;
}

// The SID of a name, in the canonical form; empty when nobody has it.
std::string SidOfName(const std::wstring& name)
{
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid;
    wchar_t domain[256];
    DWORD domainSize = ARRAYSIZE(domain);
    SID_NAME_USE use;
    if (!LookupAccountNameW(nullptr, name.c_str(), sid, &sidSize, domain, &domainSize, &use))
        return {};
    return SidText(sid);
}

// A SID written by hand ("s-1-5-18"), in the form Windows writes it.
std::string CanonicalSid(const std::string& text)
{
    PSID sid = nullptr;
    if (!ConvertStringSidToSidA(text.c_str(), &sid))
        return {};
    std::string canonical = SidText(sid);
    LocalFree(sid);
    return canonical;
}

}  // namespace

std::optional<std::string> AccountIdOf(std::string_view word)
{
    if (word.empty())
        return std::nullopt;
    // A word that looks like a SID is one or nothing: no account is
    // named S-1-..., and a typo must not find some other account.
    // "s-lock", a service account, is a name.
    const bool sidLike = word.size() > 4 && (word[0] == 'S' || word[0] == 's') && word.substr(1, 3) == "-1-";
    // Settings are texts of the system's ANSI code page.
    std::string id = sidLike ? CanonicalSid(std::string(word)) : SidOfName(WideText(word, CP_ACP));
    if (id.empty())
        return std::nullopt;
    return id;
}

std::string TokenUserSid(HANDLE token)
{
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size == 0)
        return {};
    std::vector<char> user(size);
    if (!GetTokenInformation(token, TokenUser, user.data(), size, &size))
        return {};
    return SidText(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
}

std::string ProcessUserSid(DWORD pid)
{
    CHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid), &CloseHandle);
    HANDLE token = nullptr;
    if (!process || !OpenProcessToken(process.get(), TOKEN_QUERY, &token))
        return {};
    const CHandle owned(token, &CloseHandle);
    return TokenUserSid(token);
}

std::string AccountNameOfSid(const std::string& sidText)
{
    if (sidText.empty())
        return {};
    // Every event of a sender names the same account: one lookup serves.
    static std::mutex s_Mutex;
    static std::string s_LastSid, s_LastName;
    {
        std::lock_guard<std::mutex> lock(s_Mutex);
        if (sidText == s_LastSid)
            return s_LastName;
    }
    PSID sid = nullptr;
    if (!ConvertStringSidToSidA(sidText.c_str(), &sid))
        return sidText;
    wchar_t name[256], domain[256];
    DWORD nameSize = ARRAYSIZE(name), domainSize = ARRAYSIZE(domain);
    SID_NAME_USE use;
    const bool known = LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use);
    LocalFree(sid);
    std::string result = sidText;
    if (known)
        result = (domain[0] ? NarrowText(domain, CP_UTF8) + "\\" : std::string()) + NarrowText(name, CP_UTF8);
    std::lock_guard<std::mutex> lock(s_Mutex);
    s_LastSid = sidText;
    s_LastName = result;
    return result;
}
