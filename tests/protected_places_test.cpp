// The places no system location and no cleaning rule may take the user's, the system's or the
// program's own files from: a folder judged by what it resolves to, a mask by the names it matches.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "scan/ProtectedPlaces.h"
#include "scan/RuleCatalogue.h"
#include "scan/ScanWorker.h"
#include "support/TestFiles.h"

namespace {

// A machine of the test's own: a profile with documents, downloads and application data, another
// profile and Public beside it, a Windows folder and the program's folder.
class ProtectedPlacesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* folder :
             {"Users\\bob\\Documents\\Vendor\\App\\logs", "Users\\bob\\Downloads",
              "Users\\bob\\AppData\\Local\\Vendor\\Cache", "Users\\bob\\AppData\\Local\\Temp",
              "Users\\other\\Documents", "Users\\Public", "Windows\\Temp", "Quillmoor\\Backup"})
            test::MakeFolders(dir_ / folder);
        places_.wholeTree = {dir_ / "Users\\bob\\Documents", dir_ / "Users\\bob\\Downloads",
                             dir_ / "Users\\other", dir_ / "Users\\Public"};
        places_.rootOnly = {dir_ / "Users", dir_ / "Users\\bob", dir_ / "Users\\bob\\AppData\\Local",
                            dir_ / "Windows"};
        places_.never = {dir_ / "Quillmoor"};
        // In the form the folders are judged in, as ProtectedPlaces::Current gives them.
        for (std::vector<std::string>* folders : {&places_.wholeTree, &places_.rootOnly, &places_.never})
            for (std::string& folder : *folders)
                folder = win::TruePathOf(folder).Value();
    }

    // Why a place of the text's folder and masks may not take its files; "" when it may.
    std::string Judge(const std::string& text, const std::vector<std::string>& masks, bool recurse) const {
        const win::ResultOf<std::string> form = PlaceFolderForm(text);
        return form.Error() == ERROR_INVALID_NAME ? "cannot be judged"
                                                  : WhyProtected(places_, form.Value(), masks, recurse);
    }

    test::TempFolder dir_;
    ProtectedPlaces places_;
};

// Sets TMP and TEMP for the test, as a user's redirected temporary folder would.
class TemporaryFolderOverride {
  public:
    explicit TemporaryFolderOverride(const std::string& folder) {
        for (int i = 0; i < 2; ++i) {
            char old[MAX_PATH] = {};
            const DWORD length = ::GetEnvironmentVariableA(kNames[i], old, MAX_PATH);
            old_[i] = length > 0 && length < MAX_PATH ? old : "";
            ::SetEnvironmentVariableA(kNames[i], folder.c_str());
        }
    }
    ~TemporaryFolderOverride() {
        for (int i = 0; i < 2; ++i)
            ::SetEnvironmentVariableA(kNames[i], old_[i].empty() ? nullptr : old_[i].c_str());
    }

  private:
    static constexpr const char* kNames[2] = {"TMP", "TEMP"};
    std::string old_[2];
};

}  // namespace

TEST(UserFileNames, AMaskIsJudgedByTheNamesItMatchesNotByHowItIsWritten) {
    for (const char* mask : {"*", "*.*", "?*", "**", "*?", "*.*.*", "*.???", "*.????", "?*.*", "*.docx",
                             "*.MP3", "IMG_*", "*s", "README", "*.tar.*"})
        EXPECT_FALSE(UserFileNamesMatched({mask}).empty()) << mask;
    // The community's narrow masks, and the engines' own cache names.
    for (const char* mask : {"dtdlog.txt", "hpzinstall.log", "Recuva_log*.txt", "*Log.txt", "*.tmp", "~$*",
                             "*.dmp", "thumbcache_*.db", "index", "data_?", "f_??????", "*.", ""})
        EXPECT_EQ(UserFileNamesMatched({mask}), std::vector<std::string>{}) << mask;
    EXPECT_EQ(UserFileNamesMatched({"*.tmp", "*.docx"}),
              (std::vector<std::string>{"Report.docx", "Report.final.v2.docx"}));
}

TEST_F(ProtectedPlacesTest, AFolderIsJudgedInItsOneTrueFormWhateverFormItIsWrittenIn) {
    const std::string documents = dir_ / "Users\\bob\\Documents";
    std::string slashes = documents;
    std::replace(slashes.begin() + 3, slashes.end(), '\\', '/');
    const std::string onDrive = documents.substr(3);  // without "C:\"
    const std::string cache = dir_ / "Users\\bob\\AppData\\Local\\Vendor\\Cache";
    struct Case {
        std::string folder;
        std::vector<std::string> masks;
        bool recurse;
        bool refused;
    };
    const Case cases[] = {
        // The user's documents in every form that names them, with every file.
        {documents, {"*"}, false, true},
        {slashes, {"*"}, false, true},
        {dir_ / "Users\\\\bob\\\\Documents", {"*"}, false, true},
        {dir_ / "Users\\bob\\AppData\\..\\Documents", {"*"}, false, true},
        {documents + ".", {"*"}, false, true},
        {documents + " ", {"*"}, false, true},
        {test::ShortPathOf(documents), {"*"}, false, true},
        {"\\\\?\\" + documents, {"*"}, false, true},
        {"\\\\.\\" + documents, {"*"}, false, true},
        {"\\\\localhost\\C$\\" + onDrive, {"*"}, false, true},
        {"\\\\127.0.0.1\\c$\\" + onDrive, {"*"}, false, true},
        {"\\\\?\\UNC\\localhost\\C$\\" + onDrive, {"*"}, false, true},
        {dir_ / "Users\\b?b\\Docu*", {"*"}, false, true},
        {documents + "\\*", {"*"}, true, true},
        {documents + "\\Vendor", {"*.docx", "*.tmp"}, false, true},
        // Other profiles and Public, at any depth; the profile, the Users folder and application
        // data themselves, or a wildcard for their direct children; a folder holding them, recursed.
        {dir_ / "Users\\other\\Documents", {"*.pdf"}, false, true},
        {dir_ / "Users\\bob\\..\\Public", {"*.*"}, false, true},
        {dir_ / "Users\\*\\Documents", {"?*"}, false, true},
        {dir_ / "Users\\bob", {"*.*.*"}, false, true},
        {dir_ / "Users", {"*.???"}, false, true},
        {dir_ / "Users\\bob\\AppData\\Local\\*", {"*"}, false, true},
        {dir_ / "Users\\bob\\AppData", {"*"}, true, true},
        {dir_ / "Windows\\..\\Users", {"?*"}, false, true},
        {"C:\\", {"*.docx", "*.mp3"}, true, true},
        // The program's own folders, with any mask.
        {dir_ / "Quillmoor\\Backup", {"*.tmp"}, false, true},
        {"\\\\?\\" + (dir_ / "Quillmoor"), {"x"}, false, true},
        // Forms that name no place that can be judged.
        {"\\\\localhost\\Users\\bob", {"*.tmp"}, false, true},
        {"Users\\bob\\Temp", {"*.tmp"}, false, true},
        // What rules are for: a named folder below the system's and the profile's folders, and
        // narrow masks where the user's files are.
        {cache, {"*"}, true, false},
        {dir_ / "Users/bob/AppData/Local/Vendor//Cache", {"*"}, true, false},
        {dir_ / "Users\\bob\\AppData\\Local\\*\\Cache", {"*"}, true, false},
        {dir_ / "Windows\\Temp", {"*"}, true, false},
        {dir_ / "Users\\bob", {"*.tmp", "Recuva_log*.txt"}, true, false},
        {documents + "\\Vendor\\App\\*", {"*Log.txt"}, false, false},
        {"C:\\", {"dtdlog.txt"}, false, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Judge(c.folder, c.masks, c.recurse).empty(), !c.refused)
            << c.folder << " " << c.masks[0] << ": " << Judge(c.folder, c.masks, c.recurse);
}

// The temporary folder (a system location) and a rule taking every file of the same folder are
// judged alike, where the folder is a protected place and where it is a named folder below one.
TEST_F(ProtectedPlacesTest, TheSystemLocationsAndTheRulesAgree) {
    const std::pair<std::string, bool> folders[] = {
        {"Users\\bob\\Documents", true},
        {"Users\\bob\\Downloads", true},
        {"Users\\other", true},
        {"Users\\Public", true},
        {"Users\\bob", true},
        {"Users\\bob\\AppData\\Local", true},
        {"Windows", true},
        {"Quillmoor\\Backup", true},
        {"Users\\bob\\AppData\\Local\\Temp", false},
        {"Windows\\Temp", false},
    };
    RuleMachine machine;
    machine.places = places_;
    machine.variables.Set("Folder", {});
    for (const auto& [relative, refused] : folders) {
        const std::string folder = dir_ / relative;
        test::WriteFile(folder + "\\found.tmp");
        ScanJob job;
        job.protectedPlaces = places_;
        job.findTemp = true;
        {
            TemporaryFolderOverride temp(folder);
            std::atomic<bool> never{false};
            RunScan(job, win::StopToken(&never));
        }
        const bool searched = job.results.Count() == 1;
        EXPECT_EQ(searched, !refused) << relative;
        EXPECT_EQ(job.notSearched.size(), refused ? 1u : 0u) << relative;

        machine.variables.Set("Folder", {folder});
        test::WriteFile(dir_ / "rules.ini", "[Every file]\nFileKey1=%Folder%|*|RECURSE\n");
        const std::vector<RuleItem> items = LoadRuleCatalogue({dir_ / "rules.ini"}, {}, machine);
        ASSERT_EQ(items.size(), 1u);
        EXPECT_EQ(items[0].state == RuleState::Unsafe, refused) << relative << ": " << items[0].reason;
        ::DeleteFileA((folder + "\\found.tmp").c_str());
    }
}
