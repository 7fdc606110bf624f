// The organisation's policies: read from the registry's values (given by the test, and once from this
// user's real registry), laid over config.xml's settings by the session, so that "/auto", the
// automatic cleaning and the rules obey them; and the events each cleaning, restore and removal
// writes to the Application log, caught by a recorder.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <map>
#include <mutex>

#include "clean/ActivityLog.h"
#include "clean/BackupStore.h"
#include "config/CleanOptionSettings.h"
#include "config/ListSettings.h"
#include "config/Policy.h"
#include "config/ScanOptionSettings.h"
#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "session/EventLog.h"
#include "session/ProgramPolicy.h"
#include "session/ProgramRules.h"
#include "session/ScheduledRun.h"
#include "session/ScheduledTask.h"
#include "session/Session.h"
#include "support/LogEntries.h"
#include "support/LogwrightDll.h"
#include "support/NoProgress.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "win/SystemError.h"
#include "win/Text.h"
#include "win/UniqueHandle.h"

namespace {

RegistryValue Dword(DWORD number) {
    RegistryValue value{REG_DWORD, std::vector<BYTE>(sizeof(DWORD))};
    std::memcpy(value.data.data(), &number, sizeof(number));
    return value;
}

RegistryValue Text(const std::string& text, DWORD type = REG_SZ) {
    std::wstring wide = win::Wide(text);
    wide.push_back(L'\0');
    const auto* bytes = reinterpret_cast<const BYTE*>(wide.data());
    return {type, std::vector<BYTE>(bytes, bytes + wide.size() * sizeof(wchar_t))};
}

RegistryValue Texts(const std::vector<std::string>& texts) {
    std::wstring all;
    for (const std::string& text : texts)
        all += win::Wide(text) + L'\0';
    all.push_back(L'\0');
    const auto* bytes = reinterpret_cast<const BYTE*>(all.data());
    return {REG_MULTI_SZ, std::vector<BYTE>(bytes, bytes + all.size() * sizeof(wchar_t))};
}

// The registry as a test sets it: values by scope and name.
using Values = std::map<std::pair<PolicyScope, std::string>, RegistryValue>;

PolicyLookup LookupOf(const Values& values) {
    return [values](PolicyScope scope, const std::string& name) -> std::optional<RegistryValue> {
        const auto found = values.find({scope, name});
        if (found == values.end())
            return std::nullopt;
        return found->second;
    };
}

const PathFolders kFolders{"C:\\Program Files\\Quillmoor", "C:\\Windows", "C:\\Windows\\system32",
                           "C:\\Temp"};

Policy Read(const Values& values) {
    return ReadPolicy(LookupOf(values), kFolders);
}

// Catches the events instead of the Application log, for as long as it lives.
class EventRecorder {
  public:
    EventRecorder() {
        SetEventWriter([this](const EventRecord& record) {
            std::lock_guard<std::mutex> hold(lock_);
            events_.push_back(record);
        });
    }
    ~EventRecorder() { SetEventWriter(nullptr); }
    std::vector<EventRecord> Events() {
        std::lock_guard<std::mutex> hold(lock_);
        return events_;
    }

  private:
    std::mutex lock_;
    std::vector<EventRecord> events_;
};

}  // namespace

// Every value the reader knows, set alone for the user, lands where the session takes it.
TEST(PolicyReader, TakesEachValueItKnows) {
    struct Case {
        std::string name;
        RegistryValue value;
        std::function<bool(const Policy&)> holds;
    };
    const Case cases[] = {
        {"FindTemp", Dword(1), [](const Policy& p) { return p.locations[0] == true; }},
        {"FindIETemp", Dword(0), [](const Policy& p) { return p.locations[1] == false; }},
        {"FindRecent", Dword(1), [](const Policy& p) { return p.locations[2] == true; }},
        {"FindIEHistory", Dword(0), [](const Policy& p) { return p.locations[3] == false; }},
        {"FindIECookies", Dword(1), [](const Policy& p) { return p.locations[4] == true; }},
        {"RulesOn", Texts({"Browser: cache", "Crash dumps"}),
         [](const Policy& p) {
             return p.rulesOn == std::vector<std::string>{"Browser: cache", "Crash dumps"};
         }},
        {"RulesOff", Texts({"Thumbnails", " ", ""}),
         [](const Policy& p) { return p.rulesOff == std::vector<std::string>{"Thumbnails"}; }},
        {"NoWinapp2", Dword(1), [](const Policy& p) { return p.noWinapp2; }},
        {"AddedPatterns", Texts({"*.bak", "~*.tmp"}),
         [](const Policy& p) {
             return p.addedPatterns == std::vector<std::string>{"*.bak", "~*.tmp"};
         }},
        {"AddedSkipFolders", Texts({"node_modules", "D:\\Projects"}),
         [](const Policy& p) {
             return p.addedSkipFolders == std::vector<std::string>{"node_modules", "D:\\Projects"};
         }},
        {"AlwaysBackup", Dword(1), [](const Policy& p) { return p.alwaysBackup; }},
        {"BackupFolder", Text("%ModulePath%\\Backup"),
         [](const Policy& p) { return p.backupFolder == "C:\\Program Files\\Quillmoor\\Backup"; }},
        {"BackupFolder", Text("%TempDirectory%\\Points", REG_EXPAND_SZ),
         [](const Policy& p) { return p.backupFolder == "C:\\Temp\\Points"; }},
        {"RecycleBinOnly", Dword(1),
         [](const Policy& p) { return p.recycleBinOnly == true && p.RemovalForced(); }},
        {"RecycleBinOnly", Dword(0),
         [](const Policy& p) { return p.recycleBinOnly == false && !p.RemovalForced(); }},
        {"AutomaticCleaning", Dword(1),
         [](const Policy& p) { return p.automatic == true && p.schedule.enabled; }},
        {"AutomaticCleaning", Dword(0), [](const Policy& p) { return p.automatic == false; }},
        {"AutomaticCadence", Dword(2),
         [](const Policy& p) { return p.schedule.kind == ScheduleKind::Monthly; }},
        {"AutomaticWeekday", Dword(6), [](const Policy& p) { return p.schedule.dayOfWeek == 6; }},
        {"AutomaticMonthDay", Dword(28), [](const Policy& p) { return p.schedule.dayOfMonth == 28; }},
        {"AutomaticHour", Dword(23), [](const Policy& p) { return p.schedule.hour == 23; }},
        {"AutomaticMinute", Dword(45), [](const Policy& p) { return p.schedule.minute == 45; }},
        {"AutomaticFreeSpaceGb", Dword(20),
         [](const Policy& p) { return p.schedule.freeSpaceBelowGb == 20; }},
        {"AutomaticFolders", Texts({"D:\\Scratch"}),
         [](const Policy& p) { return p.schedule.folders == std::vector<std::string>{"D:\\Scratch"}; }},
        {"NoTypedUrlTool", Dword(1), [](const Policy& p) { return p.noTypedUrlTool; }},
        {"NoRestorePointRemoval", Dword(1), [](const Policy& p) { return p.noPointRemoval; }},
    };
    for (const Case& c : cases) {
        const Policy policy = Read({{{PolicyScope::User, c.name}, c.value}});
        EXPECT_TRUE(c.holds(policy)) << c.name;
        EXPECT_TRUE(policy.ignored.empty()) << c.name;
    }
    // Nothing set: nothing forced.
    EXPECT_EQ(Read({}), Policy{});
}

// A value that cannot be what it claims is ignored, said in one line naming it, and forces nothing:
// never a wider cleaning than the user's.
TEST(PolicyReader, IgnoresWrongTypesAndValuesOutOfRange) {
    test::ProgramFolder program;  // the texts of the lines
    RegistryValue shortDword = Dword(1);
    shortDword.data.resize(2);
    const std::pair<std::string, RegistryValue> cases[] = {
        {"FindTemp", Text("1")},
        {"FindTemp", Dword(2)},
        {"FindTemp", shortDword},
        {"RecycleBinOnly", Dword(0xFFFFFFFF)},
        {"AlwaysBackup", Texts({"1"})},
        {"AutomaticCadence", Dword(4)},
        {"AutomaticMonthDay", Dword(0)},
        {"AutomaticMonthDay", Dword(29)},
        {"AutomaticHour", Dword(24)},
        {"AutomaticMinute", Dword(60)},
        {"AutomaticFreeSpaceGb", Dword(100001)},
        {"RulesOn", Text("Browser: cache")},
        {"BackupFolder", Dword(1)},
        {"BackupFolder", Text("")},
        {"BackupFolder", Text("Backup")},  // no full path: where the process stands
        {"BackupFolder", Text("%Unknown%\\Backup")},
        {"AddedPatterns", Texts({"*.bak", "*"})},  // every file of every root
        {"AddedPatterns", Texts({"*.*"})},
        {"AddedPatterns", Texts({"?*"})},
        {"AutomaticFolders", Texts({"D:\\Scratch", "relative"})},
    };
    for (const auto& [name, value] : cases) {
        Policy policy = Read({{{PolicyScope::Machine, name}, value}});
        ASSERT_EQ(policy.ignored.size(), 1u) << name;
        EXPECT_NE(policy.ignored[0].find(name), std::string::npos) << policy.ignored[0];
        EXPECT_NE(policy.ignored[0].find("HKEY_LOCAL_MACHINE"), std::string::npos) << policy.ignored[0];
        policy.ignored.clear();
        EXPECT_EQ(policy, Policy{}) << name;
    }
}

// The machine's value wins; where it is ignored, the user's is taken; a flag the machine sets off
// is off whatever the user says.
TEST(PolicyReader, TheMachineWinsOverTheUser) {
    test::ProgramFolder program;
    Policy policy = Read({{{PolicyScope::Machine, "FindTemp"}, Dword(0)},
                          {{PolicyScope::User, "FindTemp"}, Dword(1)},
                          {{PolicyScope::Machine, "BackupFolder"}, Text("D:\\Points")},
                          {{PolicyScope::User, "BackupFolder"}, Text("E:\\Points")},
                          {{PolicyScope::Machine, "AutomaticHour"}, Dword(99)},
                          {{PolicyScope::User, "AutomaticHour"}, Dword(7)},
                          {{PolicyScope::User, "NoWinapp2"}, Dword(1)}});
    EXPECT_EQ(policy.locations[0], false);
    EXPECT_EQ(policy.backupFolder, "D:\\Points");
    EXPECT_EQ(policy.schedule.hour, 7);
    EXPECT_TRUE(policy.noWinapp2);
    ASSERT_EQ(policy.ignored.size(), 1u);
    EXPECT_NE(policy.ignored[0].find("AutomaticHour"), std::string::npos);
}

// The reader of the real registry: this user's policy key as "reg add" or Group Policy writes it.
TEST(PolicyReader, ReadsThisUsersPolicyKey) {
    test::ProgramFolder program;
    HKEY opened = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kPolicyKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened,
                                nullptr),
              ERROR_SUCCESS);
    struct Removed {
        ~Removed() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kPolicyKey); }
    } removed;
    win::UniqueRegKey key(opened);
    auto set = [&](const wchar_t* name, const RegistryValue& value) {
        ASSERT_EQ(::RegSetValueExW(key.get(), name, 0, value.type, value.data.data(),
                                   static_cast<DWORD>(value.data.size())),
                  ERROR_SUCCESS);
    };
    set(L"FindRecent", Dword(0));
    set(L"AddedSkipFolders", Texts({"node_modules", "C:\\Build"}));
    set(L"BackupFolder", Text("C:\\Org\\Points", REG_EXPAND_SZ));
    set(L"RecycleBinOnly", Text("yes"));
    const Policy policy = ReadPolicy(RegistryPolicyLookup(), kFolders);
    EXPECT_EQ(policy.locations[2], false);
    EXPECT_EQ(policy.addedSkipFolders, (std::vector<std::string>{"node_modules", "C:\\Build"}));
    EXPECT_EQ(policy.backupFolder, "C:\\Org\\Points");
    EXPECT_FALSE(policy.recycleBinOnly.has_value());
    ASSERT_EQ(policy.ignored.size(), 1u);
    EXPECT_NE(policy.ignored[0].find("RecycleBinOnly"), std::string::npos);
}

// What the reader ignored goes to the activity log once, when the program reads its policy.
TEST(PolicyReader, IgnoredValuesAreWrittenToTheActivityLog) {
    test::ProgramFolder program;
    test::RegistrationLock registrationLock;
    test::LogwrightDll logwright(program.Path());
    ASSERT_TRUE(SUCCEEDED(logwright.Register()));
    const Policy policy = ReadProgramPolicy(ActivityLogDataFolder(program.Path()),
                                            LookupOf({{{PolicyScope::User, "AutomaticMinute"}, Dword(75)},
                                                      {{PolicyScope::User, "NoTypedUrlTool"}, Dword(1)}}));
    EXPECT_TRUE(policy.noTypedUrlTool);
    const std::vector<test::LogEntry> entries = test::ReadLogEntries(ActivityLogDataFolder(program.Path()));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].subcategory, Translate("_LogLogCategoryPolicy"));
    EXPECT_NE(entries[0].text.find("AutomaticMinute"), std::string::npos) << entries[0].text;
    // A policy taken whole writes nothing.
    (void)ReadProgramPolicy(ActivityLogDataFolder(program.Path()),
                            LookupOf({{{PolicyScope::User, "NoTypedUrlTool"}, Dword(1)}}));
    EXPECT_EQ(test::ReadLogEntries(ActivityLogDataFolder(program.Path())).size(), 1u);
}

// "/auto" with a policy over config.xml: the organisation's pattern and skip folder join the
// user's, its location setting overrides the user's tick, and its restore point and backup folder
// are made though the user chose a permanent deletion without one. One event tells the outcome.
TEST(PolicySession, AnUnattendedCleaningObeysThePolicy) {
    test::TempFolder data;
    test::ProgramFolder program;
    const std::string config = program / "config.xml";
    ASSERT_TRUE(WriteJunkPatterns(config, {{"*.tmp", "Temporary file", true}}));
    ScanOptionValues options;
    options.checked[kFindTemp] = true;  // the organisation says no
    ASSERT_TRUE(WriteScanOptions(config, options));
    ASSERT_TRUE(WriteCleanOptions(config, {RemovalMode::Permanent, false, data / "UserBackup"}));
    test::WriteFile(data / "junk\\a.tmp", "junk");
    test::WriteFile(data / "junk\\b.bak", "old");
    test::WriteFile(data / "junk\\keep\\c.tmp", "kept by the organisation");
    test::WriteFile(data / "junk\\d.txt", "the user's");

    Policy policy;
    policy.locations[0] = false;
    policy.addedPatterns = {"*.bak"};
    policy.addedSkipFolders = {"keep"};
    policy.alwaysBackup = true;
    policy.backupFolder = data / "OrgBackup";
    EventRecorder events;
    Session session(program.Path(), policy);
    EXPECT_EQ(session.RunUnattended({UnattendedKind::Clean, {data / "junk"}, {}}), UnattendedEnd::Done);

    EXPECT_FALSE(session.Scan().findTemp);
    EXPECT_FALSE(test::Exists(data / "junk\\a.tmp"));
    EXPECT_FALSE(test::Exists(data / "junk\\b.bak"));
    EXPECT_EQ(test::ReadFile(data / "junk\\keep\\c.tmp"), "kept by the organisation");
    EXPECT_EQ(test::ReadFile(data / "junk\\d.txt"), "the user's");
    EXPECT_FALSE(test::Exists(data / "UserBackup"));
    const std::vector<RestorePoint> points = FindRestorePoints(data / "OrgBackup");
    ASSERT_EQ(points.size(), 1u);
    EXPECT_EQ(test::FilesBelow(points[0].path).size(), 2u);
    // config.xml keeps the user's own choices: the policy is laid over them, never written in.
    EXPECT_EQ(ReadCleanOptions(config).backup, false);
    EXPECT_EQ(ReadJunkPatterns(config).size(), 1u);

    // Both files went into the restore point on the same volume: removed, but no space freed yet.
    const std::vector<EventRecord> written = events.Events();
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0], (EventRecord{EVENTLOG_INFORMATION_TYPE,
                                       kEventCleaned,
                                       {"command line", "2", "0", "0", "0", "0", points[0].path}}));
}

// A run the settings stop before it cleans is an outcome too: one error event with the reason.
TEST(PolicySession, AnUnattendedCleaningThatCannotStartWritesItsEvent) {
    test::ProgramFolder program;
    ASSERT_TRUE(::DeleteFileA((program / "config.xml").c_str()));
    EventRecorder events;
    std::string reason;
    EXPECT_EQ(Session(program.Path()).RunUnattended({UnattendedKind::Clean, {}, {}}, &reason),
              UnattendedEnd::NoConfiguration);
    const std::vector<EventRecord> written = events.Events();
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].type, EVENTLOG_ERROR_TYPE);
    EXPECT_EQ(written[0].id, kEventCleaningStopped);
    ASSERT_EQ(written[0].strings.size(), 8u);
    EXPECT_EQ(written[0].strings[7], reason);
    // A report cleans nothing and writes no event.
    EXPECT_EQ(Session(program.Path()).RunUnattended({UnattendedKind::Report, {}, "C:\\none.csv"}),
              UnattendedEnd::NoConfiguration);
    EXPECT_EQ(events.Events().size(), 1u);
}

// The Recycle Bin only: the removal the user chose is replaced, and the wizard's cleaning says so
// in its event as the wizard's.
TEST(PolicySession, TheWizardsCleaningMovesIntoTheRecycleBinWhenThePolicySaysSo) {
    test::TempFolder data;
    test::ProgramFolder program;
    const std::string config = program / "config.xml";
    ASSERT_TRUE(WriteJunkPatterns(config, {{"*.tmp", "Temporary file", true}}));
    ASSERT_TRUE(WriteScanOptions(config, ScanOptionValues{}));
    test::WriteFile(data / "junk\\a.tmp", "junk");
    Policy policy;
    policy.recycleBinOnly = true;
    EventRecorder events;
    Session session(program.Path(), policy);
    WizardSettings settings = ReadWizardSettings(config);
    session.PrepareScan(settings, {data / "junk"});
    HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(session.StartScan(nullptr, [done] { ::SetEvent(done); }));
    ASSERT_EQ(::WaitForSingleObject(done, 30000), WAIT_OBJECT_0);
    ::ResetEvent(done);
    ASSERT_EQ(session.Results().Count(), 1u);
    CleanOptionValues permanent{RemovalMode::Permanent, false, ""};
    ASSERT_TRUE(session.StartCleaning(permanent, nullptr, nullptr, [done] { ::SetEvent(done); }));
    ASSERT_EQ(::WaitForSingleObject(done, 30000), WAIT_OBJECT_0);
    ::CloseHandle(done);
    session.Shutdown();
    EXPECT_FALSE(test::Exists(data / "junk\\a.tmp"));
    EXPECT_EQ(session.Cleaning().removal, RemovalMode::RecycleBin);
    EXPECT_EQ(session.Cleaning().counts.recycled, 1u);
    const std::vector<EventRecord> written = events.Events();
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0].id, kEventCleaned);
    EXPECT_EQ(written[0].strings[0], "wizard");
    EXPECT_EQ(written[0].strings[2], "1");
}

// The rules: entries forced on and off by name, a winapp2.ini unread, and "/rules" says which.
TEST(PolicySession, RulesObeyThePolicyAndTheListingSaysWhichItForced) {
    RuleItem a, b, c, unsafe;
    a.file = b.file = c.file = unsafe.file = kOwnRuleFile;
    a.entry.name = "A";
    b.entry.name = "B";
    b.ticked = true;
    c.entry.name = "C";
    unsafe.entry.name = "Unsafe";
    unsafe.state = RuleState::Unsafe;
    std::vector<RuleItem> items{a, b, c, unsafe};
    Policy policy;
    policy.rulesOn = {"A", "C", "Unsafe"};
    policy.rulesOff = {"B", "C"};
    ForceRuleTicks(items, policy);
    EXPECT_TRUE(items[0].ticked && items[0].forced);
    EXPECT_TRUE(!items[1].ticked && items[1].forced);
    EXPECT_TRUE(!items[2].ticked && items[2].forced);  // off wins
    // An unsafe entry stays out of every scan, whatever the tick says.
    EXPECT_TRUE(RulePlaces({items[3]}, RuleVariables{}).empty());
    const std::string listing = RulesListing(items);
    EXPECT_NE(listing.find("\tA\tdetected\tticked\t\t\tforced on by policy\r\n"), std::string::npos)
        << listing;
    EXPECT_NE(listing.find("\tB\tdetected\tnot ticked\t\t\tforced off by policy\r\n"), std::string::npos)
        << listing;

    test::ProgramFolder program;
    test::WriteFile(program / "Quillmoor.rules", "");
    test::WriteFile(program / "winapp2.ini", "");
    EXPECT_EQ(ProgramRuleFiles(program.Path(), program / "config.xml", Policy{}).size(), 2u);
    policy.noWinapp2 = true;
    EXPECT_EQ(ProgramRuleFiles(program.Path(), program / "config.xml", policy),
              std::vector<std::string>{program / "Quillmoor.rules"});
}

// The restore points stay where the organisation says they may not be removed.
TEST(PolicySession, ARestorePointsRemovalIsRefusedWhereThePolicySaysSo) {
    test::TempFolder data;
    test::WriteFile(data / "Backup\\2020-01-01_00-00-00\\C\\a.tmp", "saved");
    Policy policy;
    policy.noPointRemoval = true;
    Session session(data.Path(), policy);
    EXPECT_FALSE(session.StartRemoval(data / "Backup\\2020-01-01_00-00-00", nullptr, nullptr));
    EXPECT_TRUE(test::Exists(data / "Backup\\2020-01-01_00-00-00\\C\\a.tmp"));
}

// The automatic cleaning: not allowed, a task left behind cleans nothing; forced on, the
// organisation's free-space figure and folders count, not config.xml's.
TEST(PolicySession, TheAutomaticCleaningObeysThePolicy) {
    test::TempFolder data;
    test::ProgramFolder program;
    const std::string config = program / "config.xml";
    ASSERT_TRUE(WriteJunkPatterns(config, {{"*.tmp", "Temporary file", true}}));
    ASSERT_TRUE(WriteScanOptions(config, ScanOptionValues{}));
    ASSERT_TRUE(WriteCleanOptions(config, {RemovalMode::Permanent, false, data / "Backup"}));
    test::WriteFile(data / "mine\\a.tmp", "junk");
    test::WriteFile(data / "org\\b.tmp", "junk");
    EventRecorder events;

    Policy notAllowed;
    notAllowed.automatic = false;
    {
        Session session(program.Path(), notAllowed);
        EXPECT_EQ(RunScheduled(session, {UnattendedKind::Clean, {data / "mine"}, {}}), UnattendedEnd::Done);
    }
    EXPECT_TRUE(test::Exists(data / "mine\\a.tmp"));
    EXPECT_TRUE(events.Events().empty());

    Policy forced;
    forced.automatic = true;
    forced.schedule.enabled = true;
    forced.schedule.freeSpaceBelowGb = 50;
    forced.schedule.folders = {data / "org"};
    SetFreeSpaceCheck([](const std::string&) -> std::optional<uint64_t> { return 60ULL << 30; });
    {
        Session session(program.Path(), forced);
        EXPECT_EQ(RunScheduled(session, {UnattendedKind::Clean, {data / "mine"}, {}}), UnattendedEnd::Done);
    }
    EXPECT_TRUE(test::Exists(data / "org\\b.tmp"));
    std::vector<EventRecord> written = events.Events();
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(written[0],
              (EventRecord{
                  EVENTLOG_INFORMATION_TYPE, kEventSpaceEnough, {"automatic", SystemDrive(), "60.0", "50"}}));

    SetFreeSpaceCheck([](const std::string&) -> std::optional<uint64_t> { return 40ULL << 30; });
    {
        Session session(program.Path(), forced);
        EXPECT_EQ(RunScheduled(session, {UnattendedKind::Clean, {data / "mine"}, {}}), UnattendedEnd::Done);
    }
    SetFreeSpaceCheck(nullptr);
    EXPECT_FALSE(test::Exists(data / "org\\b.tmp"));
    EXPECT_TRUE(test::Exists(data / "mine\\a.tmp"));
    written = events.Events();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[1].id, kEventCleaned);
    EXPECT_EQ(written[1].strings[0], "automatic");
    EXPECT_EQ(written[1].strings[1], "1");
}

// At the start of the wizard the user's task is put in line with the policy: registered where the
// organisation forces the automatic cleaning on, removed where it does not allow it, left alone
// where the policy says nothing.
TEST(PolicySession, TheUsersTaskFollowsThePolicy) {
    test::ProgramFolder program;
    struct Removed {
        ~Removed() { (void)RemoveScheduledTask(); }
    } removed;
    Policy forced;
    forced.automatic = true;
    forced.schedule.enabled = true;
    forced.schedule.kind = ScheduleKind::Daily;
    ASSERT_TRUE(EnforceAutomaticPolicy(forced, program / "Quillmoor.exe"));
    TaskState task = ReadScheduledTask();
    EXPECT_TRUE(task.exists);
    EXPECT_TRUE(task.enabled);
    ASSERT_TRUE(EnforceAutomaticPolicy(Policy{}, program / "Quillmoor.exe"));
    EXPECT_TRUE(ReadScheduledTask().exists);
    Policy notAllowed;
    notAllowed.automatic = false;
    ASSERT_TRUE(EnforceAutomaticPolicy(notAllowed, program / "Quillmoor.exe"));
    EXPECT_FALSE(ReadScheduledTask().exists);
}

// One event id per outcome, with its type.
TEST(EventLog, EachOutcomeHasItsIdAndType) {
    CleaningJob job;
    job.counts.removed = 3;
    job.counts.recycled = 1;
    job.counts.bytesFreed = 4096;
    job.counts.restorePoint = "C:\\Backup\\2026-12-08_10-00-00";
    EXPECT_EQ(CleaningEvent(job, EventTrigger::Wizard),
              (EventRecord{EVENTLOG_INFORMATION_TYPE,
                           kEventCleaned,
                           {"wizard", "3", "1", "0", "0", "4096", "C:\\Backup\\2026-12-08_10-00-00"}}));
    job.everyFileHandled = false;
    job.counts.kept = 2;
    job.counts.restorePoint.clear();
    EXPECT_EQ(
        CleaningEvent(job, EventTrigger::CommandLine),
        (EventRecord{
            EVENTLOG_WARNING_TYPE, kEventCleanedKept, {"command line", "3", "1", "2", "0", "4096", "none"}}));
    job.end = win::JobEnd::Stopped;
    EXPECT_EQ(CleaningEvent(job, EventTrigger::Automatic),
              (EventRecord{EVENTLOG_ERROR_TYPE,
                           kEventCleaningStopped,
                           {"automatic", "3", "1", "2", "0", "4096", "none", "stopped"}}));
    job.end = win::JobEnd::Failed;
    EXPECT_EQ(CleaningEvent(job, EventTrigger::Wizard).strings.back(), "failed");

    RestoreOutcome whole;
    whole.restored = 5;
    whole.removed = true;
    EXPECT_EQ(RestoreEvent("P", whole),
              (EventRecord{EVENTLOG_INFORMATION_TYPE, kEventRestored, {"P", "5", "0", "0", "removed"}}));
    RestoreOutcome partly = whole;
    partly.failed = 1;
    partly.removed = false;
    EXPECT_EQ(RestoreEvent("P", partly),
              (EventRecord{EVENTLOG_WARNING_TYPE, kEventRestored, {"P", "5", "1", "0", "kept"}}));
    EXPECT_EQ(RemovalEvent("P", ERROR_SUCCESS),
              (EventRecord{EVENTLOG_INFORMATION_TYPE, kEventPointRemoved, {"P", "removed"}}));
    const EventRecord failed = RemovalEvent("P", ERROR_ACCESS_DENIED);
    EXPECT_EQ(failed.type, EVENTLOG_ERROR_TYPE);
    EXPECT_EQ(failed.strings[1], "not removed: " + win::SystemErrorText(ERROR_ACCESS_DENIED));
}

// The program's message table holds a text for every id, each insert it names one the event gives
// (a number beyond them would read past the texts), the trigger first.
TEST(EventLog, TheMessageTableHoldsEveryEventsText) {
    const std::pair<DWORD, size_t> inserts[] = {{kEventCleaned, 7},         {kEventCleanedKept, 7},
                                                {kEventCleaningStopped, 8}, {kEventSpaceEnough, 4},
                                                {kEventRestored, 5},        {kEventPointRemoved, 2}};
    for (const auto& [id, count] : inserts) {
        // One more text than the event gives: a message that names it would show it.
        std::vector<std::wstring> texts;
        for (size_t i = 0; i <= count; ++i)
            texts.push_back(L"<" + std::to_wstring(i + 1) + L">");
        std::vector<DWORD_PTR> args;
        for (const std::wstring& text : texts)
            args.push_back(reinterpret_cast<DWORD_PTR>(text.c_str()));
        wchar_t* message = nullptr;
        const DWORD length = ::FormatMessageW(
            FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY,
            ::GetModuleHandleW(nullptr), id, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
            reinterpret_cast<wchar_t*>(&message), 0, reinterpret_cast<va_list*>(args.data()));
        ASSERT_NE(length, 0u) << id;
        const std::wstring text(message, length);
        ::LocalFree(message);
        EXPECT_NE(text.find(texts[0]), std::wstring::npos) << id << ": " << win::Narrow(text);
        EXPECT_NE(text.find(texts[count - 1]), std::wstring::npos) << id << ": " << win::Narrow(text);
        EXPECT_EQ(text.find(texts[count]), std::wstring::npos) << id << ": " << win::Narrow(text);
    }
}

// The rescue manager's restore and removal each write their event when their worker ends.
TEST(EventLog, TheRestoreAndTheRemovalEachWriteTheirEvent) {
    test::TempFolder data;
    test::ProgramFolder program;
    const std::string restored = data / "Backup\\2020-01-01_00-00-00";
    const std::string removed = data / "Backup\\2020-01-02_00-00-00";
    test::WriteFile(restored + "\\" + MirrorPath(data / "junk\\a.tmp"), "saved");
    test::WriteFile(removed + "\\" + MirrorPath(data / "junk\\b.tmp"), "saved");
    EventRecorder events;
    Session session(program.Path());
    test::NoProgress progress;
    auto waitForRescue = [&session] {
        for (int i = 0; i < 3000 && session.RescueBusy(); ++i)
            ::Sleep(10);
        return !session.RescueBusy();
    };
    ASSERT_TRUE(session.StartRestore(restored, &progress, nullptr));
    ASSERT_TRUE(waitForRescue());
    ASSERT_TRUE(session.StartRemoval(removed, &progress, nullptr));
    ASSERT_TRUE(waitForRescue());
    EXPECT_EQ(test::ReadFile(data / "junk\\a.tmp"), "saved");
    EXPECT_FALSE(test::Exists(removed));
    const std::vector<EventRecord> written = events.Events();
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0],
              (EventRecord{EVENTLOG_INFORMATION_TYPE, kEventRestored, {restored, "1", "0", "0", "removed"}}));
    EXPECT_EQ(written[1], (EventRecord{EVENTLOG_INFORMATION_TYPE, kEventPointRemoved, {removed, "removed"}}));
}
