#pragma once
// Where a user's data lives: config.xml, the restore points of the factory backup setting and the
// activity log. Beside the program for the per-user setup, scripts/run.sh and a copied folder; in
// each user's profile for the installation the Windows Installer package makes for the whole
// machine, whose folder a standard user cannot write to. The package says so itself (a registry
// value naming the folder it installed into), so the choice never rests on a write test, which an
// administrator, or Wine, would pass.

#include <optional>
#include <string>
#include <vector>

#include "win/Result.h"

struct DataFolders {
    std::string program;        // the program folder: what "%ModulePath%" means
    std::string config;         // the folder of config.xml (and rules.log, a user's winapp2.ini)
    std::string factoryBackup;  // what the factory backup setting "%ModulePath%\Backup" stands for
    std::string log;            // the activity log's folder; its store is log + "\Data"
    bool perMachine = false;

    std::string ConfigPath() const { return config + "\\config.xml"; }
    std::string FactoryConfigPath() const { return program + "\\config.xml"; }
    std::string LogDataFolder() const { return log + "\\Data"; }
    // The user's data folders that lie outside the program folder (none beside the program): they
    // are the program's own, which no scan lists and no rule takes from.
    std::vector<std::string> OutsideProgram() const;
};

// What the choice rests on, gathered by ProgramDataFolders or given by a test.
struct DataFolderInputs {
    std::string programFolder;
    // The folder the package recorded as its installation for the whole machine, if any.
    std::optional<std::string> perMachineFolder;
    std::string roamingAppData;  // the user's %APPDATA%
    std::string localAppData;    // the user's %LOCALAPPDATA%
};

// Per machine when the package's record names the program folder (compared as whole folders
// without regard to case, a final backslash or not) and both profile folders are known: config.xml
// in roamingAppData\Quillmoor, the factory restore points in localAppData\Quillmoor\Backup, the log
// in localAppData\Quillmoor\Log. Otherwise everything beside the program. A copy of an installed
// folder elsewhere is not named by the record, so it keeps its data beside itself.
DataFolders ChooseDataFolders(const DataFolderInputs& inputs);

// Everything beside the program in programFolder (the per-user setup, run.sh, a copied folder).
DataFolders DataFoldersBeside(const std::string& programFolder);

// Where the package records its installation: HKEY_LOCAL_MACHINE\Software\Quillmoor, value
// "PerMachineFolder", in the registry view of this program's own bitness (each package writes its
// own architecture's view).
constexpr const wchar_t* kPerMachineKey = L"Software\\Quillmoor";
constexpr const wchar_t* kPerMachineValue = L"PerMachineFolder";

// The data folders of this program as it runs now (ProgramDirectory, the record, the user's known
// folders); beside the program while a test overrides the program folder.
DataFolders ProgramDataFolders();

// Makes ProgramDataFolders answer data instead (nullopt ends that): tests run the program's paths
// (config.xml, the backup variable, the log) as an installation for the whole machine would.
void OverrideDataFolders(std::optional<DataFolders> data);

// What a first start did about the user's config.xml.
enum class UserConfigStart {
    Present,    // a file is there (damaged or not): never replaced, never looked into
    Copied,     // the factory file was copied there
    NoFactory,  // there was none and no factory file to copy
    Failed,     // there was none and the copy failed (Result says why); nothing left half-written
};
struct UserConfigOutcome {
    UserConfigStart start = UserConfigStart::Present;
    win::Result result;
};

// Gives a user of a per-machine installation their own config.xml at userConfig, copied from
// factoryConfig, unless something is at userConfig already. The copy goes to a new file beside it,
// loses the read-only attribute (the user must be able to save) and is then moved into place
// without replacing: an interrupted start leaves no half file, and a file another start put there
// meanwhile wins. The folder is made as needed.
UserConfigOutcome PrepareUserConfig(const std::string& factoryConfig, const std::string& userConfig);
