// The main of every test program: a JUCE message manager without a display, and a private home
// so that no test ever reads or writes the real user's folders.

#include "support/TestEnvironment.h"

#include <gmock/gmock.h>
#include <juce_events/juce_events.h>

int main (int argc, char** argv)
{
    ::testing::InitGoogleMock (&argc, argv);

    glorvak::test::PrivateUserFolders userFolders;
    juce::ScopedJuceInitialiser_GUI juce;

    return RUN_ALL_TESTS();
}
