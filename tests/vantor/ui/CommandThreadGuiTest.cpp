#include "vantor/ui/DialogHelperCommandThread.h"

#include "vantor/dataset/JobProgress.h"
#include "vantor/ui/LookAndFeel.h"

#include "support/MessagePump.h"
#include "support/Screenshot.h"
#include "support/XdoTool.h"

#include <gmock/gmock.h>

#include <atomic>

using glorvak::test::pumpMessagesUntil;
using glorvak::test::screenshot;
using vantor::ui::DialogHelper;
using CommandThread = vantor::ui::DialogHelper::CommandThread;

namespace
{
// A job the test steers: it runs until released, ignoring the cancel (as a job past its last
// check does), then reports success like the file operations' jobs.
struct FakeJob
{
    std::atomic<bool> started{false}, release{false}, finished{false}, sawCancel{false};

    CommandThread::Job make()
    {
        return [this] (juce::ThreadWithProgressWindow* window)
        {
            started = true;

            while (!release)
            {
                sawCancel = sawCancel || window->threadShouldExit();
                juce::Thread::sleep (5);
            }

            sawCancel = sawCancel || window->threadShouldExit();
            DialogHelper::notifyCommandCompleted (window);
            finished = true;
        };
    }
};

juce::TextButton* cancelButton (CommandThread& worker)
{
    for (auto* child : worker.getProgressWindow().getAlertWindow()->getChildren())
        if (auto* button = dynamic_cast<juce::TextButton*> (child))
            return button;

    return nullptr;
}

// A real click at the centre of the component, its window raised first.
void clickWithXdotool (juce::Component& component)
{
    ASSERT_TRUE (glorvak::test::clickWithXdotool (component, component.getLocalBounds().getCentre()));
}

bool hasTextBlock (juce::AlertWindow& window, const juce::String& text)
{
    for (auto* child : window.getChildren())
        if (auto* editor = dynamic_cast<juce::TextEditor*> (child))
            if (editor->getText() == text)
                return true;

    return false;
}

class CommandThreadGui : public ::testing::Test
{
protected:
    void SetUp() override { juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel); }

    void TearDown() override
    {
        DialogHelper::releaseResources();
        pumpMessagesUntil (
            [] { return juce::ModalComponentManager::getInstance()->getNumModalComponents() == 0; });
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    }

    vantor::LookAndFeel lookAndFeel;
};

// Success: the window stays through its current wait, then gives way to "Completed." under the
// operation's title; the note stands under the status all along.
TEST_F (CommandThreadGui, SuccessShowsCompletedUnderTheTitle)
{
    FakeJob job;
    auto* worker = DialogHelper::setCurrentWorker (
        std::make_unique<CommandThread> ("Export", job.make(), true, "*Do not remove the storage device."));
    auto& progress = worker->getProgressWindow();
    auto* alert = progress.getAlertWindow();

    EXPECT_FALSE (DialogHelper::isWorkerFree());
    EXPECT_EQ (worker->getThreadName(), "CommandThread");
    EXPECT_TRUE (alert->isCurrentlyModal());
    EXPECT_TRUE (hasTextBlock (*alert, "*Do not remove the storage device."));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return progress.getStatusHistory().size() >= 2 && job.started; }));
    screenshot ("worker-processing");

    job.release = true;
    ASSERT_TRUE (pumpMessagesUntil ([&] { return DialogHelper::getCurrentDialog() != nullptr; }));

    auto* box = DialogHelper::getCurrentDialog();
    EXPECT_EQ (box->getName(), "Export");
    EXPECT_EQ (DialogHelper::getDialogMessage (*box), "Completed.");
    EXPECT_FALSE (alert->isVisible());
    EXPECT_TRUE (job.finished);
    EXPECT_FALSE (job.sawCancel);
    EXPECT_EQ (progress.getStatusHistory(), juce::StringArray ("Preparing...", "Processing..."));
    ASSERT_TRUE (pumpMessagesUntil ([] { return DialogHelper::isWorkerFree(); }));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return box->isShowing(); }));
    screenshot ("worker-completed");

    // Any answer closes the box.
    box->exitModalState (0);
    ASSERT_TRUE (pumpMessagesUntil ([] { return DialogHelper::getCurrentDialog() == nullptr; }));
}

// Cancel clicked for real: the button is disabled, "Canceling..." shows until the job returns, the
// job sees the cancel, and no "Completed." box follows even though the job then succeeds.
TEST_F (CommandThreadGui, CancelClickedDisablesTheButtonAndShowsCancelingUntilTheJobEnds)
{
    FakeJob job;
    auto* worker =
        DialogHelper::setCurrentWorker (std::make_unique<CommandThread> ("Backup", job.make(), true, ""));
    auto& progress = worker->getProgressWindow();
    auto* cancel = cancelButton (*worker);
    ASSERT_NE (cancel, nullptr);
    EXPECT_EQ (cancel->getButtonText(), "Cancel");
    ASSERT_TRUE (pumpMessagesUntil ([&] { return cancel->isShowing() && job.started; }));
    // Away from the centre, where dialogs of other test programs on this display appear.
    progress.getAlertWindow()->setTopLeftPosition (1300, 700);

    clickWithXdotool (*cancel);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return progress.getStatusHistory().contains ("Canceling..."); }));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return progress.getAlertWindow()->isShowing(); }));
    EXPECT_FALSE (cancel->isEnabled());
    EXPECT_TRUE (progress.wasCancelled());
    EXPECT_FALSE (DialogHelper::isWorkerFree());
    ASSERT_TRUE (pumpMessagesUntil ([&] { return job.sawCancel.load(); }));
    screenshot ("worker-canceling");

    // A second click on the disabled button does nothing.
    clickWithXdotool (*cancel);
    EXPECT_TRUE (progress.getAlertWindow()->isCurrentlyModal());

    job.release = true;
    ASSERT_TRUE (pumpMessagesUntil (
        [&] { return DialogHelper::isWorkerFree() && !progress.getAlertWindow()->isVisible(); }));
    // Let the late message of the job's success arrive: it must show nothing.
    bool drained = false;
    juce::MessageManager::callAsync ([&] { drained = true; });
    ASSERT_TRUE (pumpMessagesUntil ([&] { return drained; }));

    EXPECT_EQ (DialogHelper::getCurrentDialog(), nullptr);
    EXPECT_EQ (progress.getStatusHistory(),
               juce::StringArray ("Preparing...", "Processing...", "Canceling..."));
}

// cancel() takes the path of the button.
TEST_F (CommandThreadGui, CancelCallTakesTheButtonsPath)
{
    FakeJob job;
    auto* worker =
        DialogHelper::setCurrentWorker (std::make_unique<CommandThread> ("Import", job.make(), true, ""));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return job.started.load(); }));

    worker->cancel();
    ASSERT_TRUE (pumpMessagesUntil (
        [&] { return worker->getProgressWindow().getStatusHistory().contains ("Canceling..."); }));
    EXPECT_FALSE (cancelButton (*worker)->isEnabled());
    ASSERT_TRUE (pumpMessagesUntil ([&] { return job.sawCancel.load(); }));

    job.release = true;
    ASSERT_TRUE (pumpMessagesUntil ([] { return DialogHelper::isWorkerFree(); }));
    worker->cancel(); // finished: nothing
    EXPECT_EQ (DialogHelper::getCurrentDialog(), nullptr);
}

// Deleting the worker while its job runs (the program's shut-down) never kills it: the job, which
// looks at its flags only every 5 s, ends at its next look and runs to its own end.
TEST_F (CommandThreadGui, DeletingTheWorkerEndsASlowJobAtItsNextPoll)
{
    std::atomic<bool> started{false}, endedNormally{false};
    std::atomic<int> polls{0};

    DialogHelper::setCurrentWorker (std::make_unique<CommandThread> (
        "Restore",
        [&] (juce::ThreadWithProgressWindow* window)
        {
            started = true;

            // What the data side asks: the progress window's flag or the worker's own.
            while (!vantor::dataset::JobProgress::shouldStop (nullptr) && !window->threadShouldExit())
            {
                ++polls;
                juce::Thread::getCurrentThread()->wait (5000);
            }

            endedNormally = true;
        },
        true, ""));

    ASSERT_TRUE (pumpMessagesUntil ([&] { return started.load(); }));
    DialogHelper::releaseResources();

    EXPECT_TRUE (endedNormally);
    EXPECT_GE (polls.load(), 1);
    EXPECT_EQ (DialogHelper::getCurrentWorker(), nullptr);
}

// Only a job of the worker's own window is reported; a window of another kind shows nothing.
TEST_F (CommandThreadGui, CompletionOfAnotherKindOfWindowShowsNothing)
{
    struct Other : juce::ThreadWithProgressWindow
    {
        Other()
            : juce::ThreadWithProgressWindow ("Other", true, true)
        {
        }
        void run() override {}
    } other;
    DialogHelper::notifyCommandCompleted (&other);
    bool drained = false;
    juce::MessageManager::callAsync ([&] { drained = true; });
    ASSERT_TRUE (pumpMessagesUntil ([&] { return drained; }));
    EXPECT_EQ (DialogHelper::getCurrentDialog(), nullptr);
}
} // namespace
