#include "scan/RuleDetection.h"

#include <windows.h>
#include <winternl.h>

#include <utility>

#include "scan/RuleFolders.h"
#include "win/Text.h"
#include "win/TextParts.h"
#include "win/UniqueHandle.h"

namespace {

struct RegistryRoot {
    const char* shortName;
    const char* longName;
    HKEY key;
};

const RegistryRoot kRoots[] = {
    {"HKCU", "HKEY_CURRENT_USER", HKEY_CURRENT_USER},
    {"HKLM", "HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
    {"HKU", "HKEY_USERS", HKEY_USERS},
    {"HKCR", "HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
};

// Less than or equal, major first; an open bound (0.0) allows everything.
bool NotAfter(RuleOsVersion a, RuleOsVersion b) {
    return std::pair(a.major, a.minor) <= std::pair(b.major, b.minor);
}

}  // namespace

bool RegistryKeyExists(const std::string& key) {
    const size_t slash = key.find('\\');
    const std::string_view rootName = std::string_view(key).substr(0, slash);
    const std::string subKey = slash == std::string::npos ? std::string() : key.substr(slash + 1);
    for (const RegistryRoot& root : kRoots) {
        if (!win::SameAscii(rootName, root.shortName) && !win::SameAscii(rootName, root.longName))
            continue;
        for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
            win::UniqueRegKey opened;
            if (::RegOpenKeyExW(root.key, win::Wide(subKey).c_str(), 0, KEY_QUERY_VALUE | view,
                                opened.put()) == ERROR_SUCCESS)
                return true;
        }
        return false;
    }
    return false;
}

RuleOsVersion WindowsVersion() {
    // The real version: GetVersionEx answers what the program's manifest declares.
    using GetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll"))
        if (auto get = reinterpret_cast<GetVersionFunction>(
                reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion"))))
            if (get(&info) == 0)
                return {info.dwMajorVersion, info.dwMinorVersion};
    return {};
}

bool IsDetected(const RuleEntry& entry, const RuleVariables& variables, RuleOsVersion windows) {
    return RuleDetector(variables, windows).IsDetected(entry);
}

bool RuleDetector::KeyExists(const std::string& key) {
    // "HKCU\Software\Vendor\App": the vendor's key is asked once for all its applications.
    size_t cut = key.find('\\');
    for (int steps = 0; cut != std::string::npos && steps < 2; ++steps)
        cut = key.find('\\', cut + 1);
    if (cut != std::string::npos) {
        const std::string vendor = win::LowerAscii(key.substr(0, cut));
        auto known = vendorKeys_.find(vendor);
        if (known == vendorKeys_.end())
            known = vendorKeys_.emplace(vendor, RegistryKeyExists(key.substr(0, cut))).first;
        if (!known->second)
            return false;
    }
    return RegistryKeyExists(key);
}

bool RuleDetector::IsDetected(const RuleEntry& entry) {
    if (entry.hasOsRange && ((entry.osFrom.major != 0 && !NotAfter(entry.osFrom, windows_)) ||
                             (entry.osTo.major != 0 && !NotAfter(windows_, entry.osTo))))
        return false;
    if (entry.detectKeys.empty() && entry.detectFiles.empty())
        return true;
    for (const std::string& key : entry.detectKeys)
        if (KeyExists(key))
            return true;
    for (const std::string& file : entry.detectFiles)
        for (const std::string& path : variables_.Expand(file))
            if (AnythingMatches(path))
                return true;
    return false;
}
