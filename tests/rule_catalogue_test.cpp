// The entries of the rule files as this machine sees them: detected, ticked, and never offered
// where a rule would take the user's or the system's own files or needs an administrator.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include "core/LanguageTable.h"
#include "scan/KeptNames.h"
#include "scan/RuleCatalogue.h"
#include "scan/RuleFileTrust.h"
#include "scan/RuleNames.h"
#include "session/ProgramRules.h"
#include "support/Speaking.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "win/Text.h"

namespace {

const RuleItem& Item(const std::vector<RuleItem>& items, const std::string& name) {
    for (const RuleItem& item : items)
        if (item.entry.name == name)
            return item;
    throw std::runtime_error("no entry " + name);
}

}  // namespace

TEST(RuleCatalogue, EachEntryIsOfferedOnlyWhereItIsSafeDetectedAndAllowed) {
    test::TempFolder dir;
    test::WriteFile(dir / "profile\\AppData\\Local\\App\\Cache\\x");
    RuleMachine machine;
    machine.variables.Set("LocalAppData", {dir / "profile\\AppData\\Local"});
    machine.variables.Set("UserProfile", {dir / "profile"});
    machine.variables.Set("Documents", {dir / "profile\\Documents"});
    machine.variables.Set("WinDir", {dir / "Windows"});
    machine.places.wholeTree = {dir / "profile\\Documents"};
    machine.places.rootOnly = {dir.Path(), dir / "profile", dir / "Windows"};  // dir: the Users folder
    machine.administratorFolders = {dir / "Windows"};
    machine.windows = {10, 0};
    test::WriteFile(
        dir / "program\\Quillmoor.rules",
        "[App cache *]\nDetectFile=%LocalAppData%\\App\nDefault=True\n"
        "FileKey1=%LocalAppData%\\App\\Cache|*|RECURSE\n"
        "[Missing app]\nDetectFile=%LocalAppData%\\Missing\nFileKey1=%LocalAppData%\\Missing|*.tmp\n"
        "[Broken]\nFileKey1=%LocalAppData%\\App\n"
        "[Relative]\nFileKey1=App\\Cache|*.tmp\n"
        "[Unknown variable]\nFileKey1=%NoSuchFolder%\\Cache|*.tmp\n"
        "[Whole documents]\nFileKey1=%Documents%|*.*|RECURSE\n"
        "[Above the profile]\nFileKey1=%UserProfile%\\..|*\n"
        "[Any profile folder]\nFileKey1=%UserProfile%\\*|*|RECURSE\n"
        "[Drive root]\nFileKey1=C:\\|*\n"
        "[Only logs in documents]\nFileKey1=%Documents%|*.log\n"
        "[Windows logs]\nDefault=True\nFileKey1=%WinDir%\\Logs|*.log\n"
        "[Warned]\nDefault=True\nWarning=Signs you out.\nFileKey1=%LocalAppData%\\App\\Cache|*.tmp\n");
    test::WriteFile(dir / "config\\winapp2.ini",
                    "[Community entry *]\nFileKey1=%LocalAppData%\\App\\Cache|*.tmp\n");

    const std::vector<std::string> files = RuleFilesOf(dir / "program", dir / "config");
    ASSERT_EQ(files,
              (std::vector<std::string>{dir / "program\\Quillmoor.rules", dir / "config\\winapp2.ini"}));
    const std::vector<RuleChoice> choices = {{"winapp2.ini", "Community entry", true}};
    std::vector<RuleItem> items = LoadRuleCatalogue(files, choices, machine);
    ASSERT_EQ(items.size(), 13u);
    EXPECT_FALSE(Item(items, "Warned").ticked);  // until the user answers its warning
    EXPECT_TRUE(
        Item(LoadRuleCatalogue(files, {{"Quillmoor.rules", "Warned", true}}, machine), "Warned").ticked);
    EXPECT_EQ(Item(items, "App cache").state, RuleState::Ready);
    EXPECT_TRUE(Item(items, "App cache").ticked);
    EXPECT_EQ(Item(items, "Missing app").state, RuleState::NotDetected);
    EXPECT_EQ(Item(items, "Broken").state, RuleState::LeftOut);
    EXPECT_EQ(Item(items, "Relative").state, RuleState::LeftOut);
    EXPECT_EQ(Item(items, "Unknown variable").state,
              RuleState::Ready);  // names no folder here: nothing to do
    for (const char* unsafe : {"Whole documents", "Above the profile", "Any profile folder", "Drive root"})
        EXPECT_EQ(Item(items, unsafe).state, RuleState::Unsafe) << unsafe;
    EXPECT_EQ(Item(items, "Only logs in documents").state, RuleState::Ready);
    EXPECT_EQ(Item(items, "Windows logs").state, RuleState::NeedsAdministrator);
    const RuleItem& community = Item(items, "Community entry");
    EXPECT_EQ(community.file, "winapp2.ini");
    EXPECT_TRUE(community.ticked);  // by the stored choice: the file has no Default

    machine.elevated = true;
    items = LoadRuleCatalogue(files, {}, machine);
    EXPECT_EQ(Item(items, "Windows logs").state, RuleState::Ready);
    EXPECT_TRUE(Item(items, "Windows logs").ticked);
    EXPECT_FALSE(Item(items, "Community entry").ticked);

    // The log names what was left out and why; without such entries there is no log.
    WriteRulesLog(dir / "config\\rules.log", items);
    const std::string log = test::ReadFile(dir / "config\\rules.log");
    EXPECT_NE(log.find("Quillmoor.rules\tBroken\tline "), std::string::npos) << log;
    EXPECT_NE(log.find("Quillmoor.rules\tDrive root\tFileKey1: it would take files a user keeps (such as "),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("App cache"), std::string::npos) << log;
    WriteRulesLog(dir / "config\\rules.log", {});
    EXPECT_FALSE(test::Exists(dir / "config\\rules.log"));
}

// "/rules" prints what an administrator checks a deployed rule file with.
TEST(RuleCatalogue, TheListingSaysOfEachEntryWhetherItIsDetectedTickedAndWhyNotOffered) {
    RuleItem ready;
    ready.file = "Quillmoor.rules";
    ready.entry.group = "Browsers";
    ready.entry.name = "Test Browser: cache";
    ready.ticked = true;
    RuleItem unsafe = ready;
    unsafe.entry.name = "Everything";
    unsafe.state = RuleState::Unsafe;
    unsafe.reason = "every file of C:\\ would be taken";
    RuleItem missing = ready;
    missing.file = "winapp2.ini";
    missing.entry.name = "Missing";
    missing.state = RuleState::NotDetected;
    missing.kept = KeptKind::Cookies;
    EXPECT_EQ(RulesListing({ready, unsafe, missing}),
              "Quillmoor.rules\tBrowsers\tTest Browser: cache\tdetected\tticked\t\t\t\r\n"
              "Quillmoor.rules\tBrowsers\tEverything\tdetected\tnot ticked\tevery file of C:\\ would be "
              "taken\t\t\r\n"
              "winapp2.ini\tBrowsers\tMissing\tnot detected\tnot ticked\t\tcookies\t\r\n");
}

// Only the user ticks an entry of a winapp2.ini, whatever its Default; only the program's own file
// ticks by default. Two entries of one name in one file are both left out, with the reason.
TEST(RuleCatalogue, OnlyTheProgramsOwnFileTicksByDefaultAndSharedNamesAreLeftOut) {
    test::TempFolder dir;
    RuleMachine machine;
    machine.variables.Set("LocalAppData", {dir / "Local"});
    const std::string entries =
        "[App cache *]\nDefault=True\nFileKey1=%LocalAppData%\\App\\Cache|*.tmp\n"
        "[Dup *]\nFileKey1=%LocalAppData%\\App\\Logs|*.log\n"
        "[App cookies]\nDefault=True\nFileKey1=%LocalAppData%\\App|Cookies\n"
        "[dup]\nDefault=True\nFileKey1=%LocalAppData%\\App|*.*|RECURSE\n";
    test::WriteFile(dir / "program\\Quillmoor.rules", entries);
    test::WriteFile(dir / "config\\winapp2.ini", entries);
    const std::vector<RuleItem> items =
        LoadRuleCatalogue(RuleFilesOf(dir / "program", dir / "config"), {}, machine);
    ASSERT_EQ(items.size(), 8u);
    for (size_t i = 0; i < items.size(); ++i) {
        const RuleItem& item = items[i];
        const bool own = i < 4;
        EXPECT_EQ(item.file, own ? "Quillmoor.rules" : "winapp2.ini");
        const bool shared = item.entry.name == "Dup" || item.entry.name == "dup";
        EXPECT_EQ(item.state, shared ? RuleState::LeftOut : RuleState::Ready) << item.entry.name;
        if (shared) {
            EXPECT_EQ(item.reason, "another entry of this file has the same name, so neither is used");
        }
        // The cookies are kept even where the program's own file says Default=True.
        if (!shared) {
            EXPECT_EQ(item.ticked, own && item.entry.name == "App cache")
                << item.file << " " << item.entry.name;
        }
    }
    EXPECT_EQ(items[2].kept, KeptKind::Cookies);
}

// What the user keeps, told by the names a FileKey's folder steps and masks give, however they
// are spelt; caches and logs beside them are no such thing.
TEST(RuleCatalogue, EntriesReachingWhatTheUserKeepsAreToldByTheirNames) {
    const struct {
        const char* fileKey;
        KeptKind kind;
    } cases[] = {
        {"%LocalAppData%\\Google\\Chrome\\User Data\\*|Login Data;Login Data-journal", KeptKind::Passwords},
        {"%AppData%\\Mozilla\\Firefox\\Profiles\\*|key4.db;logins.json", KeptKind::Passwords},
        {"%AppData%\\Microsoft\\Credentials|*", KeptKind::Passwords},
        {"%LocalAppData%\\Browser\\Default\\Network|Cookies", KeptKind::Cookies},
        {"%LocalAppData%\\Browser\\Default|Cook*", KeptKind::Cookies},
        {"%LocalAppData%\\Browser\\Default|*ookies", KeptKind::Cookies},
        {"%LocalAppData%\\Browser\\Default|COOKIES*", KeptKind::Cookies},
        {"%LocalAppData%\\Microsoft\\Windows\\INetCookies|*|RECURSE", KeptKind::Cookies},
        {"%LocalAppData%\\Browser\\Default|History;History-journal", KeptKind::History},
        {"%AppData%\\Mozilla\\Firefox\\Profiles\\*|places.sqlite", KeptKind::History},
        {"%LocalAppData%\\Browser\\Default\\Sessions|*", KeptKind::Sessions},
        {"%AppData%\\Mozilla\\Firefox\\Profiles\\*|sessionstore.jsonlz4", KeptKind::Sessions},
        {"%LocalAppData%\\Browser\\Default|Bookmarks.bak", KeptKind::Bookmarks},
        {"%AppData%\\Mozilla\\Firefox\\Profiles\\*\\bookmarkbackups|*.jsonlz4", KeptKind::Bookmarks},
        {"%AppData%\\Editor\\Backups|*|RECURSE", KeptKind::UnsavedWork},
        {"%AppData%\\Microsoft\\Word|*.asd", KeptKind::UnsavedWork},
        {"%LocalAppData%\\Office\\UnsavedFiles|*", KeptKind::UnsavedWork},
        {"%AppData%\\App\\AutoRecover|*.tmp", KeptKind::UnsavedWork},
        {"%AppData%\\Player\\Downloaded Songs|*|RECURSE", KeptKind::Downloads},
        {"%UserProfile%\\Downloads|*.mp3", KeptKind::Downloads},
        {"%WinDir%\\SoftwareDistribution\\Download|*|RECURSE", KeptKind::None},  // an update cache
        {"%LocalAppData%\\Music\\Offline Music|*", KeptKind::Downloads},
        {"%LocalAppData%\\Browser\\Default\\Cache|*|RECURSE", KeptKind::None},
        {"%LocalAppData%\\Browser\\User Data\\*\\GPUCache|*.*", KeptKind::None},
        {"%AppData%\\App\\logs|*.log;*.dmp", KeptKind::None},
    };
    for (const auto& row : cases) {
        const std::vector<RuleEntry> entries = ParseRules(std::string("[E]\nFileKey1=") + row.fileKey + "\n");
        ASSERT_EQ(entries.size(), 1u);
        ASSERT_EQ(entries[0].leftOut, "") << row.fileKey;
        EXPECT_EQ(KeptKindOf(entries[0]), row.kind) << row.fileKey;
    }
}

// The shipped rules name caches and crash reports only: none of them is judged kept.
TEST(RuleCatalogue, NoShippedEntryReachesWhatTheUserKeeps) {
    std::string text;
    ASSERT_TRUE(ReadRuleFileText(test::SourceFile("data/Quillmoor.rules"), text));
    const std::vector<RuleEntry> entries = ParseRules(text);
    EXPECT_EQ(entries.size(), 73u);
    for (const RuleEntry& entry : entries)
        EXPECT_EQ(KeptKindOf(entry), KeptKind::None) << entry.name;
}

// Each shipped entry is named "application: kind" and listed under a section, and the language
// files have words for every kind and section, so no shipped name shows in English alone.
TEST(RuleCatalogue, EveryShippedNameAndSectionHasItsWords) {
    std::string text;
    ASSERT_TRUE(ReadRuleFileText(test::SourceFile("data/Quillmoor.rules"), text));
    test::Speaking english;
    for (const RuleEntry& entry : ParseRules(text)) {
        EXPECT_FALSE(entry.groupByNumber) << entry.name;
        EXPECT_NE(LanguageTable::Instance().English(ShippedKindKey(entry.name)), "") << entry.name;
        EXPECT_NE(LanguageTable::Instance().English(ShippedGroupKey(entry.group)), "") << entry.group;
    }
}

namespace {

// The check an elevated run makes, as the tests make it: a file named winapp2.ini was written by
// someone else.
std::string WinappIsOthers(HANDLE file) {
    wchar_t path[MAX_PATH * 4];
    const DWORD length = ::GetFinalPathNameByHandleW(file, path, MAX_PATH * 4, 0);
    const std::wstring name(path, length);
    return name.size() >= 11 && _wcsicmp(name.c_str() + name.size() - 11, L"winapp2.ini") == 0
               ? "BUILTIN\\Users may change it"
               : "";
}

}  // namespace

// A run with an administrator's rights reads no rule file others may change: the file is skipped
// with its reason, which the listing and the log give; a run without those rights reads it.
TEST(RuleCatalogue, AnElevatedRunSkipsARuleFileOthersMayChange) {
    test::TempFolder dir;
    RuleMachine machine;
    machine.variables.Set("LocalAppData", {dir / "Local"});
    test::WriteFile(dir / "program\\Quillmoor.rules", "[Own]\nFileKey1=%LocalAppData%\\A|*.tmp\n");
    test::WriteFile(dir / "config\\winapp2.ini", "[Theirs]\nFileKey1=%LocalAppData%\\B|*.tmp\n");
    const std::vector<std::string> files = RuleFilesOf(dir / "program", dir / "config");
    SetRuleFileCheck(WinappIsOthers);
    std::vector<RuleItem> items = LoadRuleCatalogue(files, {}, machine);
    EXPECT_EQ(items.size(), 2u);  // not elevated: no check
    machine.elevated = true;
    items = LoadRuleCatalogue(files, {}, machine);
    SetRuleFileCheck(nullptr);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].entry.name, "Own");
    EXPECT_TRUE(items[1].wholeFile);
    EXPECT_EQ(items[1].state, RuleState::LeftOut);
    const std::string reason =
        "the whole file is skipped in a run as administrator: BUILTIN\\Users may change it";
    EXPECT_EQ(items[1].reason, reason);
    EXPECT_NE(RulesListing(items).find("winapp2.ini\t\t\tnot detected\tnot ticked\t" + reason),
              std::string::npos);
    WriteRulesLog(dir / "config\\rules.log", items);
    EXPECT_EQ(test::ReadFile(dir / "config\\rules.log"), "winapp2.ini\t\t" + reason + "\r\n");
}

namespace {

std::vector<BYTE> Sid(const wchar_t* text) {
    PSID sid = nullptr;
    EXPECT_TRUE(::ConvertStringSidToSidW(text, &sid)) << win::Narrow(text);
    std::vector<BYTE> bytes(static_cast<const BYTE*>(sid),
                            static_cast<const BYTE*>(sid) + ::GetLengthSid(sid));
    ::LocalFree(sid);
    return bytes;
}

struct Ace {
    const wchar_t* sid;
    ACCESS_MASK mask;
    bool deny = false;
    DWORD flags = 0;
};

std::vector<BYTE> Acl(const std::vector<Ace>& aces) {
    std::vector<BYTE> acl(1024);
    ::InitializeAcl(reinterpret_cast<PACL>(acl.data()), static_cast<DWORD>(acl.size()), ACL_REVISION);
    for (const Ace& ace : aces) {
        std::vector<BYTE> sid = Sid(ace.sid);
        if (ace.deny)
            ::AddAccessDeniedAceEx(reinterpret_cast<PACL>(acl.data()), ACL_REVISION, ace.flags, ace.mask,
                                   sid.data());
        else
            ::AddAccessAllowedAceEx(reinterpret_cast<PACL>(acl.data()), ACL_REVISION, ace.flags, ace.mask,
                                    sid.data());
    }
    return acl;
}

}  // namespace

// The owner and access list a file needs before an elevated run reads it.
TEST(RuleCatalogue, OnlyAFileNoOneButAdministratorsMayChangeIsTrusted) {
    const wchar_t* const admins = L"S-1-5-32-544";
    const wchar_t* const system = L"S-1-5-18";
    const wchar_t* const installer = L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
    const wchar_t* const users = L"S-1-5-32-545";
    const wchar_t* const someone = L"S-1-5-21-1-2-3-1001";
    const Ace usersRead = {users, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE};
    const struct {
        const wchar_t* owner;
        std::vector<Ace> aces;
        bool trusted;
    } cases[] = {
        {admins, {{system, FILE_ALL_ACCESS}, {admins, FILE_ALL_ACCESS}, usersRead}, true},
        {system, {{system, FILE_ALL_ACCESS}, usersRead}, true},
        {installer, {{installer, FILE_ALL_ACCESS}, usersRead}, true},
        {someone, {{admins, FILE_ALL_ACCESS}, usersRead}, false},
        {users, {{admins, FILE_ALL_ACCESS}}, false},
        {admins, {usersRead, {users, FILE_WRITE_DATA}}, false},
        {admins, {usersRead, {users, FILE_APPEND_DATA}}, false},
        {admins, {usersRead, {someone, WRITE_DAC}}, false},
        {admins, {usersRead, {someone, WRITE_OWNER}}, false},
        {admins, {usersRead, {users, GENERIC_WRITE}}, false},
        {admins, {{L"S-1-1-0", GENERIC_ALL}}, false},
        // Passed on to what is made inside only; a denial only takes away.
        {admins, {usersRead, {users, FILE_ALL_ACCESS, false, INHERIT_ONLY_ACE | OBJECT_INHERIT_ACE}}, true},
        {admins, {usersRead, {users, FILE_WRITE_DATA, true}}, true},
    };
    for (const auto& row : cases) {
        std::vector<BYTE> owner = Sid(row.owner);
        std::vector<BYTE> acl = Acl(row.aces);
        const std::string why = WhyOthersMayChange(owner.data(), reinterpret_cast<PACL>(acl.data()));
        EXPECT_EQ(why.empty(), row.trusted)
            << win::Narrow(row.owner) << " " << row.aces.size() << ": " << why;
    }
    std::vector<BYTE> owner = Sid(admins);
    EXPECT_FALSE(WhyOthersMayChange(owner.data(), nullptr).empty());  // no list: anyone may
}
