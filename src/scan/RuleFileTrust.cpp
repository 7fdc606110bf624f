#include "scan/RuleFileTrust.h"

#include <aclapi.h>
#include <sddl.h>

#include "win/Text.h"

namespace {

// The access that lets a holder change what the file says or who may change it.
constexpr ACCESS_MASK kChanging =
    FILE_WRITE_DATA | FILE_APPEND_DATA | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// TrustedInstaller, the owner of the files Windows itself installs.
constexpr wchar_t kTrustedInstaller[] = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

bool IsWellKnown(PSID sid, WELL_KNOWN_SID_TYPE type) {
    BYTE buffer[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof buffer;
    return ::CreateWellKnownSid(type, nullptr, buffer, &size) && ::EqualSid(sid, buffer);
}

bool IsAdministrative(PSID sid) {
    if (!sid || !::IsValidSid(sid))
        return false;
    if (IsWellKnown(sid, WinBuiltinAdministratorsSid) || IsWellKnown(sid, WinLocalSystemSid))
        return true;
    PSID installer = nullptr;
    if (!::ConvertStringSidToSidW(kTrustedInstaller, &installer))
        return false;
    const bool same = ::EqualSid(sid, installer);
    ::LocalFree(installer);
    return same;
}

// The account's name where this machine knows it, with its SID: "BUILTIN\Users (S-1-5-32-545)".
std::string AccountOf(PSID sid) {
    std::string text;
    wchar_t name[256], domain[256];
    DWORD nameSize = 256, domainSize = 256;
    SID_NAME_USE use;
    if (::LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use))
        text = (domain[0] ? win::Narrow(domain) + "\\" : std::string()) + win::Narrow(name) + " ";
    wchar_t* sidText = nullptr;
    if (::ConvertSidToStringSidW(sid, &sidText)) {
        text += '(';
        text += win::Narrow(sidText);
        text += ')';
        ::LocalFree(sidText);
    }
    return text;
}

}  // namespace

std::string WhyOthersMayChange(PSID owner, PACL accessList) {
    if (!IsAdministrative(owner))
        return "its owner " + (owner && ::IsValidSid(owner) ? AccountOf(owner) : std::string("(none)")) +
               " is no administrator";
    if (!accessList)
        return "it has no access list, so anyone may change it";
    for (DWORD i = 0; i < accessList->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(accessList, i, &ace))
            return "its access list cannot be read";
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        // An entry only passed on to what is made inside grants nothing on the file itself.
        if (header->AceFlags & INHERIT_ONLY_ACE)
            continue;
        switch (header->AceType) {
            case ACCESS_ALLOWED_ACE_TYPE:
            case ACCESS_ALLOWED_CALLBACK_ACE_TYPE: {
                // The callback entry has the plain entry's layout; its condition may hold or not,
                // so it counts as granted.
                auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
                PSID sid = &allowed->SidStart;
                if ((allowed->Mask & kChanging) && !IsAdministrative(sid))
                    return AccountOf(sid) + " may change it";
                break;
            }
            case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
            case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
            case ACCESS_ALLOWED_COMPOUND_ACE_TYPE:
                return "its access list grants access in a form Quillmoor does not judge";
            default:
                // Denials only take away; audit and label entries grant nothing.
                break;
        }
    }
    return {};
}

std::string WhyOthersMayChangeFile(HANDLE file) {
    PSID owner = nullptr;
    PACL accessList = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error =
        ::GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                          &owner, nullptr, &accessList, nullptr, &descriptor);
    if (error != ERROR_SUCCESS)
        return "its owner and access list cannot be read (error " + std::to_string(error) + ")";
    std::string why = WhyOthersMayChange(owner, accessList);
    ::LocalFree(descriptor);
    return why;
}

namespace {

bool RunsUnderWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

std::string SystemCheck(HANDLE file) {
    static const bool wine = RunsUnderWine();
    return wine ? std::string() : WhyOthersMayChangeFile(file);
}

RuleFileCheck ruleFileCheck = SystemCheck;

}  // namespace

void SetRuleFileCheck(RuleFileCheck check) {
    ruleFileCheck = check ? check : SystemCheck;
}

std::string CheckRuleFile(HANDLE file) {
    return ruleFileCheck(file);
}
