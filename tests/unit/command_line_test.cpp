// Reading the command line: program name, run mode letter and window handle.
#include "host/command_line.h"

#include <gtest/gtest.h>

#include <string>

TEST(ProgramName, AQuotedNameWithSpacesIsSkippedWithItsQuotes)
{
    EXPECT_STREQ(SkipProgramName("\"C:\\My Savers\\tavrix saver.scr\" /s"), "/s");
}

TEST(ProgramName, ABareNameEndsAtTheFirstBlankAndTabsBeforeTheArgumentsAreSkipped)
{
    EXPECT_STREQ(SkipProgramName("C:\\tavrixsaver.scr \t /p 123"), "/p 123");
    EXPECT_STREQ(SkipProgramName("tavrixsaver.scr"), "");
}

TEST(ProgramName, AnUnclosedQuoteRunsToTheEnd)
{
    EXPECT_STREQ(SkipProgramName("\"C:\\never closed /s"), "");
}

TEST(RunMode, SeparatorsOfAnyMixMayStandBeforeTheLetterInEitherCase)
{
    EXPECT_EQ(ChooseRunMode("/s").mode, RunMode::Saver);
    EXPECT_EQ(ChooseRunMode("-S").mode, RunMode::Saver);
    EXPECT_EQ(ChooseRunMode("s").mode, RunMode::Saver);
    EXPECT_EQ(ChooseRunMode("/ -/s").mode, RunMode::Saver);
    EXPECT_EQ(ChooseRunMode("/s whatever follows").mode, RunMode::Saver);
    EXPECT_EQ(ChooseRunMode("  --//C").mode, RunMode::ConfigOwned);
}

TEST(RunMode, NothingMeansTheUnownedConfiguration)
{
    EXPECT_EQ(ChooseRunMode("").mode, RunMode::ConfigUnowned);
    EXPECT_EQ(ChooseRunMode(" / -").mode, RunMode::ConfigUnowned);
}

TEST(RunMode, PreviewAndPasswordLettersHandOnTheTextAfterTheirSpaces)
{
    ModeChoice preview = ChooseRunMode("/p   1234");
    EXPECT_EQ(preview.mode, RunMode::Preview);
    EXPECT_STREQ(preview.rest, "1234");
    EXPECT_EQ(ChooseRunMode("/L 5").mode, RunMode::Preview);
    ModeChoice password = ChooseRunMode("-a 77");
    EXPECT_EQ(password.mode, RunMode::ChangePassword);
    EXPECT_STREQ(password.rest, "77");
    EXPECT_STREQ(ChooseRunMode("/p:1234").rest, ":1234");
}

TEST(RunMode, AnyOtherFirstCharacterIsRefused)
{
    for (const char* text : {"/x", "/\ts", "\t/s", "1", "/\x80", "/?", "sx"}) {
        bool refused = ChooseRunMode(text).mode == RunMode::Invalid;
        EXPECT_EQ(refused, std::string(text) != "sx") << text;
    }
}

TEST(WindowHandle, LeadingDigitsAreReadUpToTheFirstOtherCharacter)
{
    EXPECT_EQ(ParseWindowHandle("1234"), 1234u);
    EXPECT_EQ(ParseWindowHandle("12ab"), 12u);
    EXPECT_EQ(ParseWindowHandle(":1234"), 0u);
    EXPECT_EQ(ParseWindowHandle(""), 0u);
    EXPECT_EQ(ParseWindowHandle("-5"), 0u);
    EXPECT_EQ(ParseWindowHandle("0x10"), 0u);
}

TEST(WindowHandle, LargeNumbersWrapAtThirtyTwoBits)
{
    EXPECT_EQ(ParseWindowHandle("4294967296"), 0u);
    EXPECT_EQ(ParseWindowHandle("4294967301"), 5u);
}
