// The Windows screen saver's command line, in the spellings Windows and its launchers use.
// Pure: runs natively and under Wine.

#include <gtest/gtest.h>

#include "platform/windows/saver_command.h"

namespace {

SaverCommand Parse(const char* line, std::uintptr_t expectedWindow = 0)
{
    std::uintptr_t window = 99;
    const SaverCommand command = ParseSaverCommand(line, window);
    EXPECT_EQ(window, command == SaverCommand::Unknown ? window : expectedWindow) << line;
    return command;
}

TEST(SaverCommand, EverySpellingOfEachSwitch)
{
    for (const char* show : {"/s", "-s", "/S", "s", " /s ", "-S"}) EXPECT_EQ(Parse(show), SaverCommand::Show) << show;
    EXPECT_EQ(Parse("/p 1234", 1234), SaverCommand::Preview);
    EXPECT_EQ(Parse("/p:1234", 1234), SaverCommand::Preview);
    EXPECT_EQ(Parse("-P  66", 66), SaverCommand::Preview);
    EXPECT_EQ(Parse(""), SaverCommand::Settings);
    EXPECT_EQ(Parse("/c"), SaverCommand::Settings);
    EXPECT_EQ(Parse("/c:5678", 5678), SaverCommand::Settings);
    EXPECT_EQ(Parse("/a 12", 12), SaverCommand::Password);
    EXPECT_EQ(Parse("/a"), SaverCommand::Password);
    for (const char* unknown : {"/x", "/p", "/s1", "/s 12 13", "/show", "--s", "/p:x"})
        EXPECT_EQ(Parse(unknown), SaverCommand::Unknown) << unknown;
}

}  // namespace
