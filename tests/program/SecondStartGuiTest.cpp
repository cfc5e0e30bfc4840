#include "support/ProgramUnderTest.h"

#include <gtest/gtest.h>

#include <iostream>

using glorvak::test::ProgramRun;
using glorvak::test::ProgramUser;

namespace
{
class SecondStart : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (const auto reason = glorvak::test::whyProgramCannotRun(); reason.isNotEmpty())
            GTEST_SKIP() << reason;
    }

    // Starts the program once more on the same data and waits for that start to end; reports
    // how long it took (a figure for people, not a limit).
    void startAgainAndExpectItToEndAtOnce (const char* when)
    {
        const auto started = juce::Time::getMillisecondCounterHiRes();
        ProgramRun second (user);
        ASSERT_TRUE (second.waitForExit());
        const auto seconds = (juce::Time::getMillisecondCounterHiRes() - started) / 1000.0;
        std::cout << "second start " << when << " ended after " << seconds << " s\n";
        RecordProperty (juce::String ("secondStartSeconds_" + juce::String (when)).toStdString(),
                        juce::String (seconds, 3).toStdString());
        EXPECT_EQ (second.exitCode(), 0) << second.output();
        EXPECT_TRUE (second.visibleWindows().empty());
    }

    ProgramUser user;
};
} // namespace

TEST_F (SecondStart, EndsWithZeroLeavesTheSettingsAloneAndBringsTheFirstWindowBack)
{
    ProgramRun first (user);
    ASSERT_TRUE (first.waitForMainWindow().isValid()) << first.output();
    // The running program writes its settings store once after its start.
    ASSERT_TRUE (first.waitUntil ([this] { return user.settingsFile().existsAsFile(); }));
    const auto settingsBefore = user.settingsFile().loadFileAsString();
    const auto settingsTime = user.settingsFile().getLastModificationTime();

    // A program of the same account on another data folder runs beside it and takes the front.
    ProgramUser other;
    ProgramRun beside (other);
    const auto besideWindow = beside.waitForMainWindow();
    ASSERT_TRUE (besideWindow.isValid()) << beside.output();
    ASSERT_TRUE (beside.activate());

    startAgainAndExpectItToEndAtOnce ("while running");

    EXPECT_TRUE (
        first.waitUntil ([&first] { return ProgramRun::activeWindowId() == first.mainWindow().id; }));
    first.screenshot ("program-second-start-first-in-front");
    EXPECT_EQ (user.settingsFile().loadFileAsString(), settingsBefore);
    EXPECT_EQ (user.settingsFile().getLastModificationTime(), settingsTime);
    EXPECT_TRUE (beside.isRunning());

    for (auto* run : {&first, &beside})
    {
        ASSERT_TRUE (run->closeAsUser());
        ASSERT_TRUE (run->waitForExit());
        EXPECT_EQ (run->exitCode(), 0) << run->output();
        EXPECT_FALSE (run->hasSanitizerReport()) << run->output();
    }
}

TEST_F (SecondStart, DuringTheSplashEndsWithZeroAndTheFirstStillComesUp)
{
    ProgramRun first (user);
    ASSERT_TRUE (first.waitForSplash().isValid()) << first.output();

    startAgainAndExpectItToEndAtOnce ("during the splash");

    ASSERT_TRUE (first.waitForMainWindow().isValid()) << first.output();
    EXPECT_TRUE (
        first.waitUntil ([&first] { return ProgramRun::activeWindowId() == first.mainWindow().id; }));

    ASSERT_TRUE (first.closeAsUser());
    ASSERT_TRUE (first.waitForExit());
    EXPECT_EQ (first.exitCode(), 0) << first.output();
    EXPECT_FALSE (first.hasSanitizerReport()) << first.output();
}
