// The Windows programs' decision to show or step aside, in the orders Wine gives. Pure: runs
// natively and under Wine.

#include <gtest/gtest.h>

#include "platform/windows/activation.h"

namespace {

// Stepped aside and minimised, the program is told it is activated while another window still
// has the foreground: it waits. The foreground then comes with no message: the next look at it
// brings the picture back.
TEST(Activation, ActivationBeforeTheForeground)
{
    EXPECT_EQ(DecideActivation(false, false, true, false, false), Activation::Stay);
    EXPECT_EQ(DecideActivation(false, true, true, false, false), Activation::Return);
}

// The foreground lost and given back during a slow pass: the late message that says it was
// lost finds the window in the foreground and changes nothing; the window left minimised by
// it comes back at the next look.
TEST(Activation, TheForegroundWithNoMessage)
{
    EXPECT_EQ(DecideActivation(true, true, false, false, true), Activation::Stay);
    EXPECT_EQ(DecideActivation(true, true, true, false, false), Activation::Return);
    EXPECT_EQ(DecideActivation(true, false, false, false, true), Activation::StepAside);
    EXPECT_EQ(DecideActivation(true, false, false, false, false), Activation::Stay);
}

// Minimised on purpose (the window menu, another program's command), with no window manager to
// take the foreground away: it stays aside until restored, though it keeps the foreground.
TEST(Activation, MinimisedOnPurposeWaitsForARestore)
{
    EXPECT_EQ(DecideActivation(false, true, true, true, false), Activation::Stay);
    EXPECT_EQ(DecideActivation(false, true, false, false, false), Activation::Return);
}

}  // namespace
