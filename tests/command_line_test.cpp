// The command line: the wizard without arguments, the unattended modes with their folders, the
// usage, and everything else an error.
#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "core/LanguageTable.h"
#include "support/WindowTest.h"

using Mode = CommandLine::Mode;

TEST(CommandLine, ReadsTheModesTheirFoldersAndRefusesEverythingElse) {
    EXPECT_EQ(ParseCommandLine({}).mode, Mode::Wizard);
    EXPECT_EQ(ParseCommandLine({"/?"}).mode, Mode::Usage);
    EXPECT_EQ(ParseCommandLine({"/Rules"}).mode, Mode::Rules);

    CommandLine automatic = ParseCommandLine({"/AUTO", "C:\\Temp", "D:\\Junk files"});
    EXPECT_EQ(automatic.mode, Mode::Auto);
    EXPECT_EQ(automatic.folders, (std::vector<std::string>{"C:\\Temp", "D:\\Junk files"}));
    EXPECT_TRUE(ParseCommandLine({"-auto"}).folders.empty());  // every fixed drive

    CommandLine report = ParseCommandLine({"/report", "C:\\out.csv", "C:\\Temp"});
    EXPECT_EQ(report.mode, Mode::Report);
    EXPECT_EQ(report.file, "C:\\out.csv");
    EXPECT_EQ(report.folders, std::vector<std::string>{"C:\\Temp"});

    for (const std::vector<std::string>& invalid : {std::vector<std::string>{"/report"},
                                                    {"/report", "/auto"},
                                                    {"/auto", "/report", "x.csv"},
                                                    {"/clean"},
                                                    {"C:\\Temp"},
                                                    {"/?", "/auto"},
                                                    {"/auto", ""},
                                                    {"/rules", "C:\\Temp"}})
        EXPECT_EQ(ParseCommandLine(invalid).mode, Mode::Invalid) << invalid[0];
}

// A scheduled run with a mistyped line must not wait for a click on the usage.
TEST(CommandLine, ASwitchWithoutAWindowAnywhereKeepsTheUsageOffTheScreen) {
    const struct {
        std::vector<std::string> arguments;
        bool noWindow;
    } lines[] = {{{"/?"}, false},
                 {{"/clean"}, false},
                 {{"/?", "/auto"}, true},
                 {{"C:\\Temp", "-RULES"}, true},
                 {{"/report"}, true}};
    for (const auto& line : lines)
        EXPECT_EQ(ParseCommandLine(line.arguments).noWindow, line.noWindow) << line.arguments[0];
}

TEST(CommandLine, TheUsageNamesEverySwitchWithWhatItTakesAndWhatItDoes) {
    test::ProgramFolder program;  // the English texts
    const std::string usage = UsageText();
    EXPECT_EQ(usage.rfind("Quillmoor [/auto [folder ...] | /report file.csv [folder ...] | /rules | /?]\n\n"
                          "Without arguments Quillmoor opens its wizard.\n\n",
                          0),
              0u)
        << usage;
    for (const CommandSwitch& option : CommandSwitches()) {
        std::vector<std::string> line{std::string("/").append(option.name)};
        if (option.arguments == SwitchArguments::FileThenFolders)
            line.push_back("C:\\out.csv");
        EXPECT_EQ(ParseCommandLine(line).chosen, &option) << option.name;
        if (option.usageKey) {
            std::string paragraph = "\n\n/";
            paragraph.append(option.name).append("  ").append(Translate(option.usageKey, true));
            EXPECT_NE(usage.find(paragraph), std::string::npos) << option.name;
        }
    }
    EXPECT_NE(usage.find("\n\nExit codes: 0 "), std::string::npos);
}
