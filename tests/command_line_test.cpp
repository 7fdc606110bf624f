// The command line: the wizard without arguments, the unattended modes with their folders, the
// usage, and everything else an error.
#include <gtest/gtest.h>

#include "app/CommandLine.h"

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
    EXPECT_EQ(report.reportFile, "C:\\out.csv");
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
