#include "WebPageOpener.h"

#include "support/MessagePump.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

using glorvak::test::pumpMessagesUntil;
using glorvak::test::ScratchFolder;

TEST (WebPageOpener, OpensOnlyWebAddressesWithAHost)
{
    const struct
    {
        const char* address;
        bool openable;
    } cases[] = {
        {"https://www.quorvane.example/glorvak-sample-manager/", true},
        {"http://www.quorvane.example/ja/manual/", true},
        {"HTTPS://www.quorvane.example/", true},
        {"", false},
        {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},
        {"https:relative", false},
        {"https://", false},
        {"https://host/a b", false},
        {"https://host/\nnext", false},
        {"https://-option/", false},
        {"/usr/bin/xterm", false},
        {"ftp://host/file", false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.address);
        EXPECT_EQ (WebPageOpener::isOpenableAddress (c.address), c.openable);
    }
}

class WebPageOpenerStub : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A stand-in "xdg-open" first on PATH records its arguments, one per line.
        record = scratch.child ("arguments.txt");
        const auto stub = scratch.child ("bin/xdg-open");
        stub.getParentDirectory().createDirectory();
        stub.replaceWithText ("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" +
                                  record.getFullPathName() + "'; done\n",
                              false, false, "\n");
        stub.setExecutePermission (true);
        oldPath = std::getenv ("PATH");
        setenv ("PATH", (stub.getParentDirectory().getFullPathName() + ":" + oldPath).toRawUTF8(), 1);
    }

    void TearDown() override { setenv ("PATH", oldPath.toRawUTF8(), 1); }

    ScratchFolder scratch;
    juce::File record;
    juce::String oldPath;
};

TEST_F (WebPageOpenerStub, HandsTheAddressOverAsOneArgument)
{
    WebPageOpener opener;
    const juce::String address ("https://www.quorvane.example/a/b?x=1&y=2");
    ASSERT_TRUE (opener.open (address));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return record.loadFileAsString().endsWith ("\n"); }, 30000));
    EXPECT_EQ (record.loadFileAsString(), address + "\n");
}

TEST_F (WebPageOpenerStub, ShellWordsInAnAddressRunNothing)
{
    const auto marker = scratch.child ("ran");
    WebPageOpener opener;
    const auto hostile = "https://x.example/$(touch " + marker.getFullPathName() + ")";
    EXPECT_FALSE (opener.open (hostile)); // it holds a blank

    const auto noBlank = "https://x.example/$(id>" + marker.getFullPathName() + ")`id`;id";
    ASSERT_TRUE (opener.open (noBlank));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return record.loadFileAsString().endsWith ("\n"); }, 30000));
    EXPECT_EQ (record.loadFileAsString(), noBlank + "\n");
    EXPECT_FALSE (marker.exists());
}
