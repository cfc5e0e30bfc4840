// Help > Manual and Help > Privacy Policy of the real program, with a stand-in "xdg-open" first on
// its PATH that writes down how it was called. The addresses come from the translation files
// beside the executable; to plant hostile ones the test installs the same program in a folder of
// its own (the executable hard-linked, so it is the very file that was built) with translation
// files it has written into.

#include "program/ProgramSteps.h"

#include <BuildInfo.h>
#include <gtest/gtest.h>

#include <unistd.h>

using namespace glorvak::test;

namespace
{
// The pages' addresses as the program builds them from the web site of this build.
juce::String websitePage (const char* path)
{
    return juce::String (buildinfo::websiteUrl).trimCharactersAtEnd ("/") + path;
}

const juce::String manualPage = websitePage ("/glorvak-sample-manager/");
const juce::String privacyPolicyPage = websitePage ("/en/company/privacy-policy/");

class ProgramHelpPages : public ProgramTest
{
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();

        if (IsSkipped())
            return;

        if (juce::String (buildinfo::websiteUrl).isEmpty())
            GTEST_SKIP() << "this build has no web site (GLORVAK_WEBSITE_URL is empty)";

        // Each call appends the number of its arguments, then each argument, one per line.
        const auto stub = user.root().getChildFile ("stub-bin/xdg-open");
        ASSERT_TRUE (stub.getParentDirectory().createDirectory().wasOk());
        ASSERT_TRUE (stub.replaceWithText ("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" >> '" +
                                               record.getFullPathName() + "'\n",
                                           false, false, "\n"));
        ASSERT_TRUE (stub.setExecutePermission (true));
        user.prependToPath (stub.getParentDirectory());
    }

    // The calls of the stand-in so far, each with its arguments.
    std::vector<juce::StringArray> calls() const
    {
        std::vector<juce::StringArray> result;
        auto lines = juce::StringArray::fromLines (record.loadFileAsString());

        for (int i = 0; i < lines.size() && lines[i].isNotEmpty();)
        {
            const auto count = lines[i].getIntValue();
            juce::StringArray arguments;

            for (int k = 1; k <= count; ++k)
                arguments.add (lines[i + k]);

            result.push_back (arguments);
            i += count + 1;
        }

        return result;
    }

    bool waitForCalls (ProgramRun& run, size_t count)
    {
        return run.waitUntil ([&] { return calls().size() >= count; });
    }

    /** The built program installed again below the user's root, its translation files extended
        with the given lines; later runs start it. */
    void installWithTranslations (const juce::StringArray& extraLines)
    {
        const auto built = user.programToRun();
        const auto folder = user.root().getChildFile ("installed");
        ASSERT_TRUE (folder.createDirectory().wasOk());

        for (const auto& item : juce::RangedDirectoryIterator (built.getParentDirectory(), false, "*",
                                                               juce::File::findFilesAndDirectories))
        {
            const auto source = item.getFile();
            const auto target = folder.getChildFile (source.getFileName());

            if (source == built)
                ASSERT_TRUE (::link (source.getFullPathName().toRawUTF8(),
                                     target.getFullPathName().toRawUTF8()) == 0 ||
                             source.copyFileTo (target));
            else if (source.isDirectory())
                ASSERT_TRUE (source.copyDirectoryTo (target));
            else
                ASSERT_TRUE (source.copyFileTo (target));
        }

        int extended = 0;
        for (const auto& item :
             juce::RangedDirectoryIterator (folder.getChildFile ("Translations"), false, "*.txt"))
        {
            ASSERT_TRUE (item.getFile().appendText ("\n" + extraLines.joinIntoString ("\n") + "\n", false,
                                                    false, "\n"));
            ++extended;
        }
        ASSERT_EQ (extended, 9) << "one file for each language";

        user.useProgram (folder.getChildFile (built.getFileName()));
    }

    juce::File record = user.root().getChildFile ("xdg-open-calls.txt");
};
} // namespace

TEST_F (ProgramHelpPages, ManualAndPrivacyPolicyEachCallXdgOpenOnceWithTheAddressAlone)
{
    ProgramRun run (user);
    ASSERT_TRUE (run.waitForMainWindow().isValid()) << run.output();
    ASSERT_TRUE (run.activate());

    ASSERT_TRUE (pickMenuItem (run, helpMenu, helpItemCount, manualItem));
    ASSERT_TRUE (waitForCalls (run, 1));
    ASSERT_TRUE (pickMenuItem (run, helpMenu, helpItemCount, privacyPolicyItem));
    ASSERT_TRUE (waitForCalls (run, 2));
    expectCleanEnd (run);

    const auto made = calls();
    ASSERT_EQ (made.size(), 2u);
    EXPECT_EQ (made[0], juce::StringArray (manualPage));
    EXPECT_EQ (made[1], juce::StringArray (privacyPolicyPage));
}

TEST_F (ProgramHelpPages, TranslatedAddressesWithShellWordsRunNothingAndTouchNothing)
{
    // A translation that would run a command if the address met a shell: with a blank it is no
    // address at all; without one it is an odd but harmless address, handed over as one argument.
    const auto marker = user.root().getChildFile ("touched-by-an-address");
    const auto refused = "https://x.example/$(touch " + marker.getFullPathName() + ")";
    const auto literal = "https://x.example/$(touch${IFS}" + marker.getFullPathName() + ")`touch${IFS}" +
                         marker.getFullPathName() + "`";
    ASSERT_NO_FATAL_FAILURE (
        installWithTranslations ({manualPage.quoted() + " = " + refused.quoted(),
                                  privacyPolicyPage.quoted() + " = " + literal.quoted()}));

    ProgramRun run (user);
    ASSERT_TRUE (run.waitForMainWindow().isValid()) << run.output();
    ASSERT_TRUE (run.activate());

    // The Manual is handled before the Privacy Policy's menu even opens: once the second call is
    // written down, the first had its chance.
    ASSERT_TRUE (pickMenuItem (run, helpMenu, helpItemCount, manualItem));
    ASSERT_TRUE (pickMenuItem (run, helpMenu, helpItemCount, privacyPolicyItem));
    ASSERT_TRUE (waitForCalls (run, 1));
    expectCleanEnd (run);

    const auto made = calls();
    ASSERT_EQ (made.size(), 1u) << "the Manual's address started nothing";
    EXPECT_EQ (made[0], juce::StringArray (literal));
    EXPECT_FALSE (marker.exists());
}
