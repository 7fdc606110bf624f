// The automatic cleaning's engine: the task XML and the action it stores, the task registered,
// read back and removed through the Task Scheduler's own interface in the test prefix, the
// schedule in config.xml, and the scheduled run with its free-space condition and log entry.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include "app/CommandLine.h"
#include "config/CleanOptionSettings.h"
#include "config/ListSettings.h"
#include "config/ScanOptionSettings.h"
#include "config/ScheduleSettings.h"
#include "core/FormatText.h"
#include "core/LanguageTable.h"
#include "core/ProgramPath.h"
#include "session/ScheduledRun.h"
#include "session/ScheduledTask.h"
#include "support/LogEntries.h"
#include "support/LogwrightDll.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "win/Text.h"

namespace {

// The arguments as the C runtime of the started program splits its command line.
std::vector<std::string> SplitAsTheProgramDoes(const std::string& command, const std::string& arguments) {
    int count = 0;
    LPWSTR* parts = ::CommandLineToArgvW(win::Wide("\"" + command + "\" " + arguments).c_str(), &count);
    std::vector<std::string> split;
    for (int i = 1; i < count; ++i)
        split.push_back(win::Narrow(parts[i]));
    ::LocalFree(parts);
    return split;
}

ScheduleValues Weekly(int day, int hour, int minute) {
    ScheduleValues values;
    values.enabled = true;
    values.kind = ScheduleKind::Weekly;
    values.dayOfWeek = day;
    values.hour = hour;
    values.minute = minute;
    return values;
}

// The registered task's stored XML without its blanks between elements, for finding fragments.
std::string Compact(const std::string& xml) {
    std::string out;
    bool inTag = false;
    for (size_t i = 0; i < xml.size(); ++i) {
        const char c = xml[i];
        if (c == '<')
            inTag = true;
        if (c == '>')
            inTag = false;
        if (!inTag && (c == '\r' || c == '\n' || c == ' ' || c == '\t') && (out.empty() || out.back() == '>'))
            continue;
        out += c;
    }
    std::string closed;  // "<Tuesday />" and "<Tuesday/>" alike
    for (size_t i = 0; i < out.size(); ++i)
        if (!(out[i] == ' ' && i + 1 < out.size() && out[i + 1] == '/' && i + 2 < out.size() &&
              out[i + 2] == '>'))
            closed += out[i];
    return closed;
}

// Removes this user's task before and after a test, so no test sees another's.
class TaskFixture : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(RemoveScheduledTask().ok); }
    void TearDown() override { RemoveScheduledTask(); }
    win::ComApartment com_;
};

}  // namespace

// Folders with blanks, "&", "<", a final backslash and names outside the code page reach the
// program exactly as chosen, after a trip through the XML and the C runtime's splitting.
TEST(ScheduledTaskXml, TheStoredActionGivesBackEveryFolderExactly) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"C:\\Junk"},
        {"C:\\My Files\\A & B", "C:\\x<y>z", "C:\\"},
        {"C:\\\xE6\x97\xA5\xE6\x9C\xAC\\\xC3\xBC \xE2\x98\x83", "C:\\Q \"quoted\\\" and\\\\"},
    };
    for (const std::vector<std::string>& folders : cases) {
        TaskXmlInputs inputs;
        inputs.schedule = Weekly(2, 10, 0);
        inputs.schedule.folders = folders;
        inputs.programPath = "C:\\Program Files\\Q & <Moor> \xE2\x98\x83\\Quillmoor.exe";
        inputs.userId = "PC\\Ann & <Bo>";
        inputs.startDate = "2026-12-08";
        inputs.description = "Cleans \"junk\" & more";
        const std::optional<TaskAction> action = ActionOfTaskXml(ScheduledTaskXml(inputs));
        ASSERT_TRUE(action);
        EXPECT_EQ(action->command, inputs.programPath);
        std::vector<std::string> expected = {"/auto", "/scheduled"};
        expected.insert(expected.end(), folders.begin(), folders.end());
        EXPECT_EQ(SplitAsTheProgramDoes(action->command, action->arguments), expected) << action->arguments;
    }
    EXPECT_FALSE(ActionOfTaskXml("<Task><Actions></Actions></Task>"));
}

TEST(ScheduledTaskXml, NextRunFollowsTheKindDayAndTime) {
    // Tuesday 8 December 2026, 09:30.
    const SYSTEMTIME now{2026, 12, 2, 8, 9, 30, 0, 0};
    struct Case {
        ScheduleKind kind;
        int day, hour, minute;
        WORD year, month, date, nextHour, nextMinute;
    } cases[] = {
        {ScheduleKind::Weekly, 2, 10, 0, 2026, 12, 8, 10, 0},     // later today
        {ScheduleKind::Weekly, 2, 9, 0, 2026, 12, 15, 9, 0},      // passed today: next week
        {ScheduleKind::Weekly, 0, 23, 30, 2026, 12, 13, 23, 30},  // Sunday
        {ScheduleKind::Daily, 0, 9, 0, 2026, 12, 9, 9, 0},
        {ScheduleKind::Daily, 0, 21, 30, 2026, 12, 8, 21, 30},
        {ScheduleKind::Monthly, 28, 0, 0, 2026, 12, 28, 0, 0},
        {ScheduleKind::Monthly, 8, 9, 0, 2027, 1, 8, 9, 0},  // passed this month, over the year's end
    };
    for (const Case& c : cases) {
        ScheduleValues values = Weekly(c.day, c.hour, c.minute);
        values.kind = c.kind;
        values.dayOfMonth = c.day;
        const std::optional<SYSTEMTIME> next = NextRunAfter(values, now);
        ASSERT_TRUE(next);
        EXPECT_EQ((std::vector<int>{next->wYear, next->wMonth, next->wDay, next->wHour, next->wMinute}),
                  (std::vector<int>{c.year, c.month, c.date, c.nextHour, c.nextMinute}))
            << static_cast<int>(c.kind) << " " << c.day;
    }
    ScheduleValues signIn = Weekly(2, 10, 0);
    signIn.kind = ScheduleKind::AtSignIn;
    EXPECT_FALSE(NextRunAfter(signIn, now));
    ScheduleValues off = Weekly(2, 10, 0);
    off.enabled = false;
    EXPECT_FALSE(NextRunAfter(off, now));
}

// The Task Scheduler of the test prefix takes the XML of every kind and holds the task with its
// settings; removing it leaves no task and no empty folder. Wine's Task Scheduler keeps a task's
// settings but not its triggers, principal or actions (its reader of those is a stub, and the file
// it writes has "<Triggers/>" and "<Exec/>"), so those are read from the XML as registered; on
// Windows the stored XML holds them as well.
TEST_F(TaskFixture, EveryKindIsRegisteredReadBackAndRemoved) {
    test::TempFolder folder;
    const std::string program = folder / "Q & \xE2\x98\x83\\Quillmoor.exe";
    const std::string userId = ThisUserId();
    ASSERT_FALSE(userId.empty());
    struct Case {
        ScheduleKind kind;
        int day;
        std::vector<std::string> fragments;
    } cases[] = {
        {ScheduleKind::Daily,
         0,
         {"<StartBoundary>2026-12-08T10:30:00</StartBoundary>",
          "<ScheduleByDay><DaysInterval>1</DaysInterval>"}},
        {ScheduleKind::Weekly,
         2,
         {"<StartBoundary>2026-12-08T10:30:00</StartBoundary>", "<DaysOfWeek><Tuesday/></DaysOfWeek>"}},
        {ScheduleKind::Monthly,
         28,
         {"<DaysOfMonth><Day>28</Day></DaysOfMonth>", "<January/>", "<December/></Months>"}},
        {ScheduleKind::AtSignIn, 0, {"<LogonTrigger><UserId>"}},
    };
    for (const Case& c : cases) {
        TaskXmlInputs inputs{Weekly(c.day, 10, 30), program, userId, "2026-12-08", "Automatic cleaning test"};
        inputs.schedule.kind = c.kind;
        inputs.schedule.dayOfMonth = c.day ? c.day : 1;
        inputs.schedule.folders = {folder / "A & B", folder / "\xE6\x97\xA5\xE6\x9C\xAC"};
        const std::string xml = ScheduledTaskXml(inputs);
        const TaskChange change = RegisterScheduledTask(xml);
        ASSERT_TRUE(change.ok) << change.error;

        const TaskState state = ReadScheduledTask();
        ASSERT_TRUE(state.exists);
        EXPECT_TRUE(state.enabled);
        EXPECT_EQ(state.path, std::string(kTaskFolder) + "\\" + ScheduledTaskName(userId));
        const std::string stored = Compact(state.xml);
        for (const char* fragment : {"<MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>",
                                     "<DisallowStartIfOnBatteries>true</DisallowStartIfOnBatteries>",
                                     "<StartWhenAvailable>true</StartWhenAvailable>",
                                     "<ExecutionTimeLimit>PT4H</ExecutionTimeLimit>"})
            EXPECT_NE(stored.find(fragment), std::string::npos) << fragment << "\n" << stored;
        const std::string registered = Compact(xml);
        for (const std::string& fragment : c.fragments)
            EXPECT_NE(registered.find(fragment), std::string::npos) << fragment << "\n" << registered;
        for (const char* fragment :
             {"<LogonType>InteractiveToken</LogonType>", "<RunLevel>LeastPrivilege</RunLevel>"})
            EXPECT_NE(registered.find(fragment), std::string::npos) << fragment;
    }
    // The Task Scheduler keeps its tasks as files under the system folder.
    wchar_t system[MAX_PATH];
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::string taskFile = win::Narrow(system) + "\\Tasks\\Quillmoor\\" + ScheduledTaskName(userId);
    EXPECT_TRUE(test::Exists(taskFile));

    ASSERT_TRUE(RemoveScheduledTask().ok);
    EXPECT_FALSE(ReadScheduledTask().exists);
    EXPECT_FALSE(test::Exists(taskFile));
    EXPECT_FALSE(test::Exists(win::Narrow(system) + "\\Tasks\\Quillmoor"));
    // Removing what is not there is no failure.
    EXPECT_TRUE(RemoveScheduledTask().ok);
}

// Each user has a task of their own name in the one folder.
TEST(ScheduledTaskName, DiffersForEachUserAndHoldsNoBackslash) {
    EXPECT_NE(ScheduledTaskName("PC\\ann"), ScheduledTaskName("PC\\bob"));
    EXPECT_NE(ScheduledTaskName("PC\\ann"), ScheduledTaskName("WORK\\ann"));
    EXPECT_EQ(ScheduledTaskName("PC\\ann").find('\\'), std::string::npos);
}

// A task the Task Scheduler refuses leaves nothing behind: no task, and no folder made for it.
TEST_F(TaskFixture, ARefusedTaskLeavesNothingHalfMade) {
    const TaskChange change = RegisterScheduledTask("<Task><this is not task XML");
    EXPECT_FALSE(change.ok);
    EXPECT_FALSE(change.error.empty());
    EXPECT_FALSE(ReadScheduledTask().exists);
    wchar_t system[MAX_PATH];
    ::GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_FALSE(test::Exists(win::Narrow(system) + "\\Tasks\\Quillmoor"));
}

TEST(ScheduleSettings, AreKeptBesideTheOtherSettingsAndOlderFilesReadAsOff) {
    test::ProgramFolder program;
    const std::string config = program / "config.xml";
    // The shipped file has no schedule: off, the defaults.
    EXPECT_EQ(ReadScheduleSettings(config), ScheduleValues{});

    ScheduleValues chosen;
    chosen.enabled = true;
    chosen.kind = ScheduleKind::Monthly;
    chosen.dayOfMonth = 28;
    chosen.hour = 23;
    chosen.minute = 30;
    chosen.freeSpaceBelowGb = 12;
    chosen.folders = {"C:\\A & B", "C:\\\xE6\x97\xA5\xE6\x9C\xAC"};
    ASSERT_TRUE(WriteScheduleSettings(config, chosen));
    EXPECT_EQ(ReadScheduleSettings(config), chosen);
    // The wizard's own writers keep the element.
    ASSERT_TRUE(WriteScanOptions(config, ScanOptionValues{}));
    ASSERT_TRUE(WriteJunkPatterns(config, {{"*.tmp", "Temporary file", true}}));
    EXPECT_EQ(ReadScheduleSettings(config), chosen);
}

// "/auto /scheduled": with the free-space condition met it is "/auto"; with more free space than
// asked it does nothing. Either way one entry marks the run as automatic and tells its outcome.
TEST(ScheduledRun, CleansOnlyWhenTheSystemDriveIsBelowTheFreeSpaceAsked) {
    test::ProgramFolder program;
    test::TempFolder data;
    test::RegistrationLock registrationLock;
    test::LogwrightDll logwright(program.Path());
    ASSERT_TRUE(SUCCEEDED(logwright.Register()));
    const std::string config = program / "config.xml";
    ASSERT_TRUE(WriteJunkPatterns(config, {{"*.tmp", "Temporary file", true}}));
    ASSERT_TRUE(WriteScanOptions(config, ScanOptionValues{}));
    ASSERT_TRUE(WriteCleanOptions(config, {RemovalMode::Permanent, false, data / "Backup"}));
    ScheduleValues schedule = Weekly(2, 10, 0);
    schedule.freeSpaceBelowGb = 5;
    ASSERT_TRUE(WriteScheduleSettings(config, schedule));
    test::WriteFile(data / "junk\\a.tmp", "junk");
    test::WriteFile(data / "junk\\keep.txt", "keep");
    const std::string logFolder = ActivityLogDataFolder(program.Path());
    EXPECT_FALSE(LastAutomaticRun(logFolder));

    std::string askedDrive;
    SetFreeSpaceCheck([&](const std::string& drive) -> std::optional<uint64_t> {
        askedDrive = drive;
        return 6ULL << 30;
    });
    {
        Session session(program.Path());
        EXPECT_EQ(RunScheduled(session, {UnattendedKind::Clean, {data / "junk"}, {}}), UnattendedEnd::Done);
    }
    EXPECT_EQ(askedDrive, SystemDrive());
    EXPECT_TRUE(test::Exists(data / "junk\\a.tmp"));
    std::vector<test::LogEntry> entries = test::ReadLogEntries(logFolder);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].subcategory, Translate("_LogLogCategoryAutomatic"));
    EXPECT_NE(entries[0].text.find(SystemDrive()), std::string::npos) << entries[0].text;
    EXPECT_NE(entries[0].text.find("has 6.00 GB free, more than the 5.00 GB set"), std::string::npos)
        << entries[0].text;
    std::optional<AutomaticRunRecord> last = LastAutomaticRun(logFolder);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->text, entries[0].text);

    SetFreeSpaceCheck([](const std::string&) -> std::optional<uint64_t> { return 4ULL << 30; });
    {
        Session session(program.Path());
        EXPECT_EQ(RunScheduled(session, {UnattendedKind::Clean, {data / "junk"}, {}}), UnattendedEnd::Done);
    }
    SetFreeSpaceCheck(nullptr);
    EXPECT_FALSE(test::Exists(data / "junk\\a.tmp"));
    EXPECT_EQ(test::ReadFile(data / "junk\\keep.txt"), "keep");
    entries = test::ReadLogEntries(logFolder);
    ASSERT_EQ(entries.size(), 3u);  // the skipped run, the removal, then this run's outcome
    EXPECT_EQ(entries[0].subcategory, Translate("_LogLogCategoryAutomatic"));
    EXPECT_NE(entries[0].text.find(
                  "Files removed: 1. Moved to the Recycle Bin: 0. Kept: 0. Failed: 0. Space freed: 4 bytes."),
              std::string::npos)
        << entries[0].text;
    last = LastAutomaticRun(logFolder);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->text, entries[0].text);
}

// No folders chosen: the scheduled run searches the ticked places alone, never every drive.
TEST(ScheduledRun, WithoutFoldersSearchesNoDrive) {
    test::ProgramFolder program;
    const std::string config = program / "config.xml";
    ASSERT_TRUE(WriteJunkPatterns(config, {{"*.tmp", "Temporary file", true}}));
    ASSERT_TRUE(WriteScanOptions(config, ScanOptionValues{}));
    ASSERT_TRUE(WriteCleanOptions(config, {RemovalMode::Permanent, false, program / "Backup"}));
    test::TempFolder data;
    test::WriteFile(data / "a.tmp", "junk on the drive");
    // As a report, so that a run that did search the drive would still remove nothing.
    Session session(program.Path());
    RunScheduled(session, {UnattendedKind::Report, {}, data / "report.csv"});
    EXPECT_TRUE(session.Scan().roots.empty());
    EXPECT_EQ(test::ReadFile(data / "report.csv").find("a.tmp"), std::string::npos);
    EXPECT_TRUE(test::Exists(data / "a.tmp"));
}

// "/scheduled" stands only after "/auto", anywhere among its folders.
TEST(ScheduledCommandLine, IsReadOnlyWithAuto) {
    const CommandLine scheduled = ParseCommandLine({"/auto", "/scheduled", "C:\\A & B"});
    EXPECT_EQ(scheduled.mode, CommandLine::Mode::Auto);
    EXPECT_TRUE(scheduled.scheduled);
    EXPECT_EQ(scheduled.folders, std::vector<std::string>{"C:\\A & B"});
    EXPECT_FALSE(ParseCommandLine({"/auto", "C:\\x"}).scheduled);
    EXPECT_EQ(ParseCommandLine({"/report", "r.csv", "/scheduled"}).mode, CommandLine::Mode::Invalid);
    EXPECT_EQ(ParseCommandLine({"/scheduled"}).mode, CommandLine::Mode::Invalid);
}
