#include "link/command_line.h"

#include <gtest/gtest.h>

using namespace k740;

TEST(CommandLine, OptionsAreCaseInsensitiveAndLaterOnesWin)
{
    const TRunOptions o = ParseCommandLine({"/s", "/a", "/TL", "/nologo", "/e", "/d", "/r=ab12"});
    EXPECT_TRUE(o.KeepDesignSize);
    EXPECT_TRUE(o.AutoSave);
    EXPECT_EQ(o.LogoMode, 3);
    EXPECT_TRUE(o.LayoutEditMode);
    EXPECT_TRUE(o.AutoCapture);
    EXPECT_EQ(o.SerialFilter, "AB12");
    EXPECT_EQ(ParseCommandLine({"/NL", "/BL"}).LogoMode, 2);
}

TEST(CommandLine, AnythingAppendedMatchesNothing)
{
    const TRunOptions o = ParseCommandLine({"/A:", "/S2", "-A", "/R", "/TLX", "/E1", "/DE", "/NOLOGOS"});
    EXPECT_FALSE(o.AutoSave);
    EXPECT_FALSE(o.KeepDesignSize);
    EXPECT_EQ(o.LogoMode, 0);
    EXPECT_FALSE(o.LayoutEditMode);
    EXPECT_FALSE(o.AutoCapture);
    EXPECT_TRUE(o.SerialFilter.isEmpty());
    EXPECT_TRUE(ParseCommandLine({"/R="}).SerialFilter.isEmpty());
    // Blanks around the filter would be lost by the settings file anyway.
    EXPECT_TRUE(ParseCommandLine({"/R=  "}).SerialFilter.isEmpty());
    EXPECT_EQ(ParseCommandLine({"/R= ab 12\t"}).SerialFilter, "AB 12");
}

TEST(CommandLine, HelpAndVersionAreAnsweredBeforeAnyWindow)
{
    EXPECT_EQ(StartRequest({"/A", "--help"}), TStartRequest::Help);
    EXPECT_EQ(StartRequest({"--version", "--help"}), TStartRequest::Version);
    EXPECT_EQ(StartRequest({"/A", "-help", "--HELP", "/R=--help"}), TStartRequest::Run);
    for (const char* option : {"/A", "/D", "/E", "/S", "/NOLOGO", "/NL", "/TL", "/BL", "/R=", "--version"})
        EXPECT_TRUE(CommandLineHelp().contains(option)) << option;
}
