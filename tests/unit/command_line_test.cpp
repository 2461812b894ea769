// Reading the command line: program name, run mode letter and window handle.
#include "host/command_line.h"

#include <gtest/gtest.h>

TEST(ProgramName, AQuotedOrBareNameIsSkippedWithTheBlanksAndTabsBeforeTheArguments)
{
    const struct {
        const char* commandLine;
        const char* arguments;
    } cases[] = {
        {"\"C:\\My Savers\\tavrix saver.scr\" /s", "/s"},
        {"C:\\tavrixsaver.scr \t /p 123", "/p 123"},
        {"tavrixsaver.scr", ""},
        {"\"C:\\never closed /s", ""},  // an unclosed quote runs to the end
    };
    for (const auto& c : cases) EXPECT_STREQ(SkipProgramName(c.commandLine), c.arguments) << c.commandLine;
}

// Every spelling Windows and other callers use; the saver's own runs under Wine try only a few.
TEST(RunMode, TheFirstCharacterAfterAnyMixOfSeparatorsDecidesAndHandsOnTheRest)
{
    const struct {
        const char* arguments;
        RunMode mode;
        const char* rest;
    } cases[] = {
        {"/s", RunMode::Saver, ""},
        {"-S", RunMode::Saver, ""},
        {"/ -/s", RunMode::Saver, ""},
        {"/s whatever follows", RunMode::Saver, " whatever follows"},
        {"  --//C", RunMode::ConfigOwned, ""},
        {"/c:1234", RunMode::ConfigOwned, ":1234"},
        {"", RunMode::ConfigUnowned, ""},
        {"/p   1234", RunMode::Preview, "1234"},  // p, l and a skip the spaces after them
        {"/L 5", RunMode::Preview, "5"},
        {"-a 77", RunMode::ChangePassword, "77"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        ModeChoice choice = ChooseRunMode(c.arguments);
        EXPECT_EQ(choice.mode, c.mode);
        EXPECT_STREQ(choice.rest, c.rest);
    }
    for (const char* text : {"/x", "/\ts", "\t/s", "1", "/\x80", "/?"})
        EXPECT_EQ(ChooseRunMode(text).mode, RunMode::Invalid) << text;
}

TEST(WindowHandle, LeadingDecimalDigitsAreReadUpToTheFirstOtherCharacterAndWrapAtThirtyTwoBits)
{
    const struct {
        const char* text;
        uint32_t handle;
    } cases[] = {
        {"1234", 1234u}, {"12ab", 12u}, {":1234", 0u},      {"", 0u},
        {"-5", 0u},      {"0x10", 0u},  {"4294967296", 0u}, {"4294967301", 5u},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseWindowHandle(c.text), c.handle) << c.text;
}
