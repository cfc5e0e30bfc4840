// The main of every test program: a JUCE message manager (with or without a display), and a
// private home so that no test ever reads or writes the real user's folders.

#include "support/TestEnvironment.h"
#include "support/X11TestSetup.h"

#include <gmock/gmock.h>
#include <juce_events/juce_events.h>

// Sanitizer settings of every test program, kept beside main so that every test links them:
// a plain ctest run, a debugger or a direct start of one program behave as scripts/test does.
// The runtimes ask for these at start-up; environment variables still override them.
extern "C"
{
    const char* __asan_default_options()
    {
        return "detect_leaks=1:strict_string_checks=1:check_initialization_order=1";
    }

    const char* __ubsan_default_options()
    {
        return "print_stacktrace=1:halt_on_error=1";
    }

    // Allocations that system libraries keep for the life of the process.
    const char* __lsan_default_suppressions()
    {
        return "leak:libfontconfig.so\n"
               "leak:libX11.so\n"
               "leak:libasound.so\n";
    }
}

int main (int argc, char** argv)
{
    ::testing::InitGoogleMock (&argc, argv);

    glorvak::test::PrivateUserFolders userFolders;
    glorvak::test::prepareX11ForWindowTests();
    juce::ScopedJuceInitialiser_GUI juce;

    const auto result = RUN_ALL_TESTS();
    glorvak::test::endWindowAnimations();
    return result;
}
