#include "core/DataFolders.h"

#include <windows.h>
#include <shlobj.h>

#include "core/ProgramPath.h"
#include "win/Fold.h"
#include "win/PathCalls.h"
#include "win/PathParts.h"
#include "win/Text.h"
#include "win/TruePath.h"
#include "win/UniqueHandle.h"

namespace {

std::string WithoutFinalBackslashes(std::string folder) {
    while (folder.size() > 3 && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

std::string KnownFolder(const KNOWNFOLDERID& id) {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)) && path)
        folder = win::Narrow(path);
    ::CoTaskMemFree(path);
    return WithoutFinalBackslashes(folder);
}

// The package's record in this program's own registry view; none when absent or not text.
std::optional<std::string> RecordedFolder() {
    win::UniqueRegKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPerMachineKey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key.get(), kPerMachineValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_SZ || size == 0 || size > 32768 * sizeof(wchar_t))
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(key.get(), kPerMachineValue, nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                           &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return std::nullopt;
    text.resize(wcsnlen(text.c_str(), text.size()));
    return win::Narrow(text);
}

bool Missing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Makes folder and every missing folder above it.
win::Result MakeFolders(const std::string& folder) {
    const win::ResultOf<DWORD> attributes = win::FileAttributes(folder);
    if (attributes)
        return (attributes.Value() & FILE_ATTRIBUTE_DIRECTORY) ? win::Result()
                                                               : win::Result::Failed(ERROR_DIRECTORY);
    const std::string parent = win::FolderPartOf(folder);
    if (!parent.empty() && parent != folder && parent.find('\\') != std::string::npos)
        if (const win::Result made = MakeFolders(parent); !made)
            return made;
    const win::Result made = win::MakeFolder(folder);
    return made || made.Error() == ERROR_ALREADY_EXISTS ? win::Result() : made;
}

std::optional<DataFolders> g_dataFoldersOverride;

}  // namespace

void OverrideDataFolders(std::optional<DataFolders> data) {
    g_dataFoldersOverride = std::move(data);
}

std::vector<std::string> DataFolders::OutsideProgram() const {
    if (!perMachine)
        return {};
    return {config, factoryBackup, log};
}

DataFolders DataFoldersBeside(const std::string& programFolder) {
    DataFolders folders;
    folders.program = programFolder;
    folders.config = programFolder;
    folders.factoryBackup = programFolder + "\\Backup";
    folders.log = programFolder + "\\Log";
    return folders;
}

DataFolders ChooseDataFolders(const DataFolderInputs& inputs) {
    const bool recorded = inputs.perMachineFolder && !inputs.programFolder.empty() &&
                          win::SameFolded(WithoutFinalBackslashes(*inputs.perMachineFolder),
                                          WithoutFinalBackslashes(inputs.programFolder));
    // Without the profile's folders there is nowhere else to go; beside the program the user at
    // least sees why a save fails.
    if (!recorded || inputs.roamingAppData.empty() || inputs.localAppData.empty())
        return DataFoldersBeside(inputs.programFolder);
    DataFolders folders;
    folders.program = inputs.programFolder;
    folders.config = WithoutFinalBackslashes(inputs.roamingAppData) + "\\Quillmoor";
    const std::string local = WithoutFinalBackslashes(inputs.localAppData) + "\\Quillmoor";
    folders.factoryBackup = local + "\\Backup";
    folders.log = local + "\\Log";
    folders.perMachine = true;
    return folders;
}

DataFolders ProgramDataFolders() {
    if (g_dataFoldersOverride)
        return *g_dataFoldersOverride;
    const std::string program = ProgramDirectory();
    if (ProgramDirectoryOverridden())
        return DataFoldersBeside(program);
    DataFolderInputs inputs;
    inputs.programFolder = program;
    if (std::optional<std::string> record = RecordedFolder()) {
        // Both in their true form, so a short name or another letter case still matches.
        const std::string trimmed = WithoutFinalBackslashes(*record);
        if (!trimmed.empty())
            inputs.perMachineFolder = win::TruePathOfText(trimmed).Value();
        inputs.programFolder = win::TruePathOf(program).Value();
    }
    inputs.roamingAppData = KnownFolder(FOLDERID_RoamingAppData);
    inputs.localAppData = KnownFolder(FOLDERID_LocalAppData);
    DataFolders folders = ChooseDataFolders(inputs);
    // "%ModulePath%" keeps the program folder as the program knows it.
    folders.program = program;
    if (!folders.perMachine)
        folders = DataFoldersBeside(program);
    return folders;
}

UserConfigOutcome PrepareUserConfig(const std::string& factoryConfig, const std::string& userConfig) {
    const win::ResultOf<DWORD> there = win::FileAttributes(userConfig);
    // Anything at the name, or a name that cannot be looked at, is the user's: never replaced.
    if (there || !Missing(there.Error()))
        return {UserConfigStart::Present, {}};
    const win::ResultOf<DWORD> factory = win::FileAttributes(factoryConfig);
    if (!factory || (factory.Value() & FILE_ATTRIBUTE_DIRECTORY))
        return {UserConfigStart::NoFactory,
                factory ? win::Result::Failed(ERROR_FILE_NOT_FOUND) : factory.Outcome()};
    if (const win::Result made = MakeFolders(win::FolderPartOf(userConfig)); !made)
        return {UserConfigStart::Failed, made};
    const std::string fresh = userConfig + "." + std::to_string(::GetCurrentProcessId()) + ".new";
    (void)win::RemoveFile(fresh);
    win::Result result = win::CopyFileTo(factoryConfig, fresh, true);
    if (result) {
        const win::ResultOf<DWORD> copied = win::FileAttributes(fresh);
        if (copied && (copied.Value() & FILE_ATTRIBUTE_READONLY))
            result = win::SetFileAttributesOf(fresh, copied.Value() & ~FILE_ATTRIBUTE_READONLY);
    }
    if (result)
        result = win::MoveFileTo(fresh, userConfig, MOVEFILE_WRITE_THROUGH);
    if (result)
        return {UserConfigStart::Copied, {}};
    (void)win::RemoveFile(fresh);
    if (result.Error() == ERROR_ALREADY_EXISTS || result.Error() == ERROR_FILE_EXISTS)
        return {UserConfigStart::Present, {}};
    return {UserConfigStart::Failed, result};
}
