#include "SingleInstance.h"

#include "support/MessagePump.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

using glorvak::test::pumpMessagesUntil;
using glorvak::test::ScratchFolder;

namespace
{
SingleInstance::Paths pathsIn (const ScratchFolder& scratch, const juce::String& dataFolderName)
{
    return SingleInstance::pathsFor (scratch.child (dataFolderName), scratch.child ("run").getFullPathName());
}
} // namespace

TEST (SingleInstance, SecondStartOnTheSameDataFolderWakesTheFirstOnTheMessageThread)
{
    ScratchFolder scratch;
    scratch.child ("run").createDirectory();

    SingleInstance first (pathsIn (scratch, "data"));
    ASSERT_TRUE (first.isFirstInstance());
    int wakeUps = 0;
    ASSERT_TRUE (first.startListening (
        [&]
        {
            EXPECT_TRUE (juce::MessageManager::getInstance()->isThisTheMessageThread());
            ++wakeUps;
        }));

    SingleInstance second (pathsIn (scratch, "data"));
    EXPECT_FALSE (second.isFirstInstance());
    EXPECT_TRUE (second.notifyRunningInstance());
    EXPECT_TRUE (pumpMessagesUntil ([&] { return wakeUps == 1; }, 30000));

    EXPECT_TRUE (second.notifyRunningInstance());
    EXPECT_TRUE (pumpMessagesUntil ([&] { return wakeUps == 2; }, 30000));
}

TEST (SingleInstance, AnotherDataFolderRunsBesideIt)
{
    ScratchFolder scratch;
    scratch.child ("run").createDirectory();

    SingleInstance first (pathsIn (scratch, "data"));
    SingleInstance other (pathsIn (scratch, "other data"));
    EXPECT_TRUE (first.isFirstInstance());
    EXPECT_TRUE (other.isFirstInstance());
    EXPECT_NE (pathsIn (scratch, "data").socketFile, pathsIn (scratch, "other data").socketFile);
}

TEST (SingleInstance, TheLockIsFreeAgainOnceTheFirstHasEnded)
{
    ScratchFolder scratch;
    scratch.child ("run").createDirectory();
    const auto paths = pathsIn (scratch, "data");

    {
        SingleInstance first (paths);
        ASSERT_TRUE (first.isFirstInstance());
        ASSERT_TRUE (first.startListening ([] {}));
        EXPECT_TRUE (paths.socketFile.exists());
    }
    EXPECT_FALSE (paths.socketFile.exists());

    SingleInstance next (paths);
    EXPECT_TRUE (next.isFirstInstance());
    // A socket file left behind by a crashed instance does not stop the next one from listening.
    paths.socketFile.create();
    EXPECT_TRUE (next.startListening ([] {}));
}

TEST (SingleInstance, WithoutARuntimeFolderBothFilesLieInTheDataFolder)
{
    ScratchFolder scratch;
    const auto paths = SingleInstance::pathsFor (scratch.child ("data"), {});
    EXPECT_EQ (paths.lockFile.getParentDirectory(), scratch.child ("data"));
    EXPECT_EQ (paths.socketFile.getParentDirectory(), scratch.child ("data"));

    SingleInstance first (paths);
    EXPECT_TRUE (first.isFirstInstance()); // the data folder is made for the lock
    EXPECT_TRUE (first.startListening ([] {}));
}

TEST (SingleInstance, ASocketPathTooLongStillKeepsASecondStartOut)
{
    ScratchFolder scratch;
    const auto deep = scratch.child (juce::String::repeatedString ("d", 120));
    const auto paths = SingleInstance::pathsFor (deep, {});
    ASSERT_GT (paths.socketFile.getFullPathName().getNumBytesAsUTF8(),
               (size_t)SingleInstance::maxSocketPathBytes);

    SingleInstance first (paths);
    ASSERT_TRUE (first.isFirstInstance());
    EXPECT_FALSE (first.startListening ([] {}));

    SingleInstance second (paths);
    EXPECT_FALSE (second.isFirstInstance());
    EXPECT_FALSE (second.notifyRunningInstance());
}

TEST (SingleInstance, NobodyListeningIsReportedNotHung)
{
    ScratchFolder scratch;
    scratch.child ("run").createDirectory();
    SingleInstance first (pathsIn (scratch, "data")); // holds the lock but never listens
    SingleInstance second (pathsIn (scratch, "data"));
    EXPECT_FALSE (second.isFirstInstance());
    EXPECT_FALSE (second.notifyRunningInstance());
}
