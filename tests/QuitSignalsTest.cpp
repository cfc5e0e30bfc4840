#include "QuitSignals.h"

#include "support/MessagePump.h"

#include <gtest/gtest.h>

#include <atomic>

using glorvak::test::pumpMessagesUntil;

namespace
{
std::atomic<int> markerCalls{0};

void marker (int)
{
    ++markerCalls;
}

/** Puts a counting handler in place of the signal's own for the test, so that a signal that
    reaches "the previous handler" is seen instead of ending the test program. */
class QuitSignalsFor : public ::testing::TestWithParam<int>
{
protected:
    QuitSignalsFor()
    {
        struct sigaction action
        {
        };
        action.sa_handler = marker;
        sigemptyset (&action.sa_mask);
        sigaction (GetParam(), &action, &original);
        markerCalls = 0;
    }

    ~QuitSignalsFor() override { sigaction (GetParam(), &original, nullptr); }

    struct sigaction original
    {
    };
};
} // namespace

TEST_P (QuitSignalsFor, TheSignalBecomesOneQuitRequestOnTheMessageThreadAndThePreviousHandlerComesBack)
{
    int requests = 0;
    bool onMessageThread = false;
    {
        QuitSignals signals (
            [&]
            {
                ++requests;
                onMessageThread = juce::MessageManager::getInstance()->isThisTheMessageThread();
            });
        ASSERT_TRUE (signals.isInstalled());

        ASSERT_EQ (raise (GetParam()), 0);
        ASSERT_TRUE (pumpMessagesUntil ([&] { return requests >= 1; }));
        EXPECT_TRUE (onMessageThread);
        EXPECT_EQ (markerCalls.load(), 0);

        // Signals that come before the loop reads the pipe make one request; later ones another.
        ASSERT_EQ (raise (GetParam()), 0);
        ASSERT_EQ (raise (GetParam()), 0);
        ASSERT_TRUE (pumpMessagesUntil ([&] { return requests >= 2; }));
        pumpMessagesUntil ([] { return false; }, 200);
        EXPECT_EQ (requests, 2);
    }

    ASSERT_EQ (raise (GetParam()), 0);
    EXPECT_EQ (markerCalls.load(), 1);
    pumpMessagesUntil ([] { return false; }, 200);
    EXPECT_EQ (requests, 2);
}

INSTANTIATE_TEST_SUITE_P (TermHupInt, QuitSignalsFor, ::testing::Values (SIGTERM, SIGHUP, SIGINT));

TEST (QuitSignals, OnlyOneSetOfHandlersIsInstalledAtATime)
{
    QuitSignals first ([] {});
    QuitSignals second ([] {});
    EXPECT_TRUE (first.isInstalled());
    EXPECT_FALSE (second.isInstalled());
}

TEST (QuitSignals, TheCrashSignalsAreLeftAlone)
{
    struct sigaction before
    {
    }, during{};
    sigaction (SIGSEGV, nullptr, &before);
    QuitSignals signals ([] {});
    sigaction (SIGSEGV, nullptr, &during);
    EXPECT_EQ (during.sa_handler, before.sa_handler);
}
