#include "vantor/ui/DialogHelperCommandThread.h"
#include "vantor/ui/LookAndFeel.h"
#include "vantor/ui/Spotlight.h"

#include "vantor/dataset/JobProgress.h"

#include "support/MessagePump.h"

#include <gmock/gmock.h>

#include <cstdlib>

using vantor::ui::DialogHelper;

namespace
{
// Set in a child run of this program: the child test below only runs there.
constexpr const char* childVariable = "GLORVAK_TOOLKIT_SHUTDOWN_CHILD";

bool isChild()
{
    return std::getenv (childVariable) != nullptr;
}

// In the child: a program that quits with a dialog open, a job running behind its progress
// window and the help overlay up, without releasing any of them: JUCE's shut-down must do it
// while JUCE still runs, and stop the job without killing it.
TEST (ToolkitShutdownChild, LeavesEverythingOpen)
{
    if (!isChild())
        GTEST_SKIP() << "runs in the child started by ToolkitShutdown";

    static vantor::LookAndFeel lookAndFeel; // drawn with until the windows go at JUCE's shut-down
    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);

    DialogHelper::showSaveAsDialog ("Left open", [] (const juce::String&) { return true; });

    DialogHelper::setCurrentWorker (std::make_unique<DialogHelper::CommandThread> (
        "Export",
        [] (juce::ThreadWithProgressWindow* window)
        {
            while (!vantor::dataset::JobProgress::shouldStop (nullptr) && !window->threadShouldExit())
                juce::Thread::getCurrentThread()->wait (50);

            std::puts ("job ended normally");
        },
        true, "note"));

    auto* host = new juce::Component(); // deleted below, after the overlay has left it
    host->setBounds (0, 0, 400, 300);
    auto* spotlight = vantor::ui::Spotlight::getInstance();
    host->addAndMakeVisible (*spotlight);
    spotlight->addTarget ("x", host, false, "hint", 15);
    spotlight->start ({"x"}, {});
    host->removeChildComponent (spotlight);
    delete host;

    ASSERT_TRUE (
        glorvak::test::pumpMessagesUntil ([] { return DialogHelper::getCurrentDialog()->isShowing(); }));
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}

TEST (ToolkitShutdown, WhatIsLeftOpenGoesWithJuceWithoutLeaksOrKilledThreads)
{
    if (isChild())
        GTEST_SKIP();

    ::setenv (childVariable, "1", 1);
    juce::ChildProcess child;
    const bool started = child.start (
        juce::StringArray{
            juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName(),
            "--gtest_filter=ToolkitShutdownChild.*"},
        juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr);
    ::unsetenv (childVariable);
    ASSERT_TRUE (started);

    const auto output = child.readAllProcessOutput();
    child.waitForProcessToFinish (120000);

    EXPECT_EQ (child.getExitCode(), 0u) << output;
    EXPECT_TRUE (output.contains ("[  PASSED  ] 1 test.")) << output;
    EXPECT_TRUE (output.contains ("job ended normally")) << output;

    for (const auto* complaint : {"LeakSanitizer", "AddressSanitizer", "runtime error", "Leaked objects",
                                  "JUCE Assertion failure", "killing thread by force"})
        EXPECT_FALSE (output.contains (complaint)) << output;
}
} // namespace
