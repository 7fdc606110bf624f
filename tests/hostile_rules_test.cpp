// A rule file written to take what is not junk, every entry ticked: each mask spelling and each form
// of a protected folder, and a whole browser profile, beside one honest entry. Unattended runs
// report and clean only junk; every file of the user's, the system's and the program's own places,
// and what a browser keeps for its user, stays as it was.
#include <gtest/gtest.h>

#include <windows.h>
#include <knownfolders.h>

#include <algorithm>

#include "clean/BackupStore.h"
#include "config/RuleSettings.h"
#include "config/RuleVariables.h"
#include "session/Session.h"
#include "support/ConfigText.h"
#include "support/TestFiles.h"
#include "support/WindowTest.h"
#include "win/PathParts.h"

TEST(HostileRules, TakeNothingButTheHonestEntrysJunk) {
    test::ProgramFolder program;
    test::TempFolder work;
    const std::string tag = "qm-hostile-" + std::to_string(::GetCurrentProcessId());
    const std::string profile = KnownFolderPath(FOLDERID_Profile);
    const std::string documents = KnownFolderPath(FOLDERID_Documents);
    const std::string downloads = KnownFolderPath(FOLDERID_Downloads);
    const std::string local = KnownFolderPath(FOLDERID_LocalAppData);
    const std::string otherProfile = win::FolderPartOf(profile) + "\\" + tag;
    ASSERT_FALSE(profile.empty() || documents.empty() || downloads.empty() || local.empty());

    // The user's, the system's and the program's own files, each made by this test for itself.
    const std::vector<std::string> kept = {
        documents + "\\" + tag + ".docx",
        documents + "\\" + tag + "\\sub\\Report.docx",
        downloads + "\\" + tag + ".zip",
        KnownFolderPath(FOLDERID_Music) + "\\" + tag + ".mp3",
        KnownFolderPath(FOLDERID_Videos) + "\\" + tag + ".final.mp4",
        KnownFolderPath(FOLDERID_Desktop) + "\\" + tag + ".txt",
        KnownFolderPath(FOLDERID_Public) + "\\" + tag + "\\shared.docx",
        KnownFolderPath(FOLDERID_ProgramData) + "\\" + tag + ".ini",
        profile + "\\" + tag + ".txt",
        otherProfile + "\\Documents\\letter.docx",
        "C:\\" + tag + ".docx",
        program / "Backup\\2020-01-01_00-00-00\\C\\old.tmp",
        program / "notes.txt",
        local + "\\" + tag + "\\Browser\\Default\\Login Data",
        local + "\\" + tag + "\\Browser\\Default\\Network\\Cookies",
        local + "\\" + tag + "\\Browser\\Default\\History",
        local + "\\" + tag + "\\Browser\\Default\\Sessions\\Session_13",
    };
    const std::vector<std::string> junk = {local + "\\" + tag + "\\Cache\\data_0",
                                           local + "\\" + tag + "\\Cache\\js\\f_000001",
                                           local + "\\" + tag + "\\Browser\\Default\\Cache\\data_1"};
    for (const std::string& file : kept)
        test::WriteFile(file, "kept");
    for (const std::string& file : junk)
        test::WriteFile(file, "junk");
    ::SetEnvironmentVariableA("QM_HOSTILE_PROGRAM", program.Path().c_str());

    const std::string onDrive = documents.substr(2);  // "\users\...", without "C:"
    const std::vector<std::pair<std::string, std::string>> entries = {
        {"Profile any", "%UserProfile%|?*|RECURSE"},
        {"Documents stars", "%Documents%|**"},
        {"Music any", "%Music%|*?"},
        {"Video types", "%Video%|*.*.*;*.???;*.????"},
        {"Drive root", "%WinDir%\\..|?*"},
        {"ProgramData", "%ProgramData%|?*.*"},
        {"Types from the root", "C:\\|*.docx;*.mp3|RECURSE"},
        {"System32", "%WinDir%\\system32|?*|RECURSE"},
        {"Slash", "%UserProfile%/Downloads|*"},
        {"Short name", test::ShortPathOf(downloads) + "|*"},
        {"Below documents", "%Documents%\\*|*|RECURSE"},
        {"Device path", "\\\\?\\%Documents%|*|RECURSE"},
        {"Dot device path", "\\\\.\\%UserProfile%|*.txt"},
        {"Local share", "\\\\localhost\\C$" + onDrive + "|*.docx|RECURSE"},
        {"Trailing dot", "%Documents%.|*.docx"},
        {"Other profile", otherProfile + "|*|RECURSE"},
        {"Public", "%Public%|*|RECURSE"},
        {"Own program", "%QM_HOSTILE_PROGRAM%|*|RECURSE"},
        {"Own program by device path", "\\\\?\\%QM_HOSTILE_PROGRAM%\\Backup|*.tmp|RECURSE"},
        {"Every browser profile", "%LocalAppData%\\" + tag + "\\Browser\\*|*|RECURSE"},
        {"Honest cache", "%LocalAppData%\\" + tag + "\\Cache|*|RECURSE"},
    };
    std::string rules;
    std::vector<RuleChoice> choices;
    for (const auto& [name, fileKey] : entries) {
        rules += "[" + name + " *]\nDefault=True\nFileKey1=" + fileKey + "\n";
        choices.push_back({"winapp2.ini", name, true});
    }
    test::WriteFile(program / "winapp2.ini", rules);
    test::ConfigParts parts;  // no patterns, no system locations: only the rules find anything
    parts.backup = test::Backup("1", "1", "%ModulePath%\\Backup", "%ModulePath%\\Backup");
    test::WriteFile(program / "config.xml", test::ConfigText(parts));
    ASSERT_TRUE(WriteRuleChoices(program / "config.xml", choices));
    const std::string root = work / "chosen";
    test::MakeFolders(root);

    // The report lists the honest entry's junk and nothing else.
    ASSERT_EQ(Session(program.Path()).RunUnattended({UnattendedKind::Report, {root}, work / "report.csv"}),
              UnattendedEnd::Done);
    const std::string report = test::ReadFile(work / "report.csv");
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 4) << report;  // the header and three
    for (const std::string& file : junk)
        EXPECT_NE(report.find(file + ",4,"), std::string::npos) << report;
    // rules.log says why each hostile entry was refused.
    const std::string log = test::ReadFile(program / "rules.log");
    for (const auto& [name, fileKey] : entries)
        EXPECT_EQ(log.find("winapp2.ini\t" + name + "\t") == std::string::npos,
                  name == "Honest cache" || name == "Every browser profile")
            << name << "\n"
            << log;

    // The cleaning takes the junk into a restore point and loses nothing else.
    EXPECT_EQ(Session(program.Path()).RunUnattended({UnattendedKind::Clean, {root}, {}}),
              UnattendedEnd::Done);
    for (const std::string& file : junk)
        EXPECT_FALSE(test::Exists(file)) << file;
    const std::vector<RestorePoint> points = FindRestorePoints(program / "Backup");
    ASSERT_EQ(points.size(), 2u);  // the old one and the new one
    const std::string& point =
        points[0].path.find("2020-") == std::string::npos ? points[0].path : points[1].path;
    EXPECT_EQ(test::ReadFile(point + "\\" + MirrorPath(junk[0])), "junk");
    for (const std::string& file : kept)
        EXPECT_EQ(test::ReadFile(file), "kept") << file;

    ::SetEnvironmentVariableA("QM_HOSTILE_PROGRAM", nullptr);
    for (const std::string& folder : {documents + "\\" + tag, KnownFolderPath(FOLDERID_Public) + "\\" + tag,
                                      otherProfile, local + "\\" + tag})
        test::RemoveTree(folder);
    for (const std::string& file : kept)
        ::DeleteFileA(file.c_str());
}
