#include "vantor/dataset/FileSwap.h"
#include "vantor/dataset/Leftovers.h"

#include "support/WholeSetFixtures.h"

#include <stdexcept>

namespace
{
using namespace vantor::dataset;
using namespace glorvak::test;

// Stands in for the death of the process in the middle of a swap: the commit is left at once,
// with the moves before it made, none after, and the journal in place.
struct Interrupted : std::runtime_error
{
    Interrupted()
        : std::runtime_error ("interrupted")
    {
    }
};

int interruptAt = 0;
int movesMade = 0;

void interruptAtChosenMove()
{
    if (++movesMade == interruptAt)
        throw Interrupted();
}

struct ScopedMoveHook
{
    explicit ScopedMoveHook (int at)
    {
        interruptAt = at;
        movesMade = 0;
        FileSwap::setMoveHook (&interruptAtChosenMove);
    }

    ~ScopedMoveHook() { FileSwap::setMoveHook (nullptr); }
};

void writeText (const juce::File& file, const juce::String& text)
{
    file.getParentDirectory().createDirectory();
    ASSERT_TRUE (file.replaceWithText (text));
}

// Two live items and their replacements, as a restore has them: "model" and "bankcollection".
struct SwapFolders
{
    SwapFolders()
    {
        for (const auto* name : {"model", "bankcollection"})
            writeText (live.getChildFile (name).getChildFile ("file.json"), juce::String ("old ") + name);

        liveState = filesOnly (snapshotOf (root));

        for (const auto* name : {"model", "bankcollection"})
            writeText (staged.getChildFile (name).getChildFile ("file.json"), juce::String ("new ") + name);

        fullState = snapshotOf (root);
    }

    bool commit()
    {
        FileSwap swap;
        swap.setJournalFolder (root);

        for (const auto* name : {"model", "bankcollection"})
            swap.setAside (live.getChildFile (name), staged.getChildFile ("previous").getChildFile (name));

        for (const auto* name : {"model", "bankcollection"})
            swap.install (staged.getChildFile (name), live.getChildFile (name));

        return swap.commit();
    }

    juce::String liveContent (const char* name) const
    {
        return live.getChildFile (name).getChildFile ("file.json").loadFileAsString();
    }

    ScratchFolder scratch;
    juce::File root = scratch.child ("data");
    juce::File live = root;
    juce::File staged = root.getChildFile (".glorvak-tmp");
    FolderSnapshot liveState, fullState;
};

TEST (SwapJournal, AnInterruptedSwapIsUndoneUnlessEveryNewPartIsInPlace)
{
    // Moves 1 and 2 set aside, 3 and 4 install; interrupted before move n, the swap made n - 1.
    for (int interruptBefore = 1; interruptBefore <= 4; ++interruptBefore)
    {
        SCOPED_TRACE (interruptBefore);
        SwapFolders f;
        {
            const ScopedMoveHook hook (interruptBefore);
            EXPECT_THROW (f.commit(), Interrupted);
        }
        EXPECT_TRUE (FileSwap::getJournalFile (f.root).existsAsFile());

        EXPECT_EQ (FileSwap::recover (f.root), FileSwap::Recovery::undone);
        EXPECT_EQ (f.liveContent ("model"), "old model");
        EXPECT_EQ (f.liveContent ("bankcollection"), "old bankcollection");
        EXPECT_FALSE (FileSwap::getJournalFile (f.root).exists());

        // What is left is the temporary folder, which the start-up clean-up removes.
        Leftovers::cleanDataFolder (f.root);
        EXPECT_EQ (filesOnly (snapshotOf (f.root)), f.liveState);
    }
}

TEST (SwapJournal, ASwapWhoseNewPartsAreAllInPlaceIsFinished)
{
    SwapFolders f;
    ASSERT_TRUE (f.commit());
    EXPECT_FALSE (FileSwap::getJournalFile (f.root).exists()) << "a finished swap leaves no journal";
    EXPECT_EQ (f.liveContent ("model"), "new model");

    // Dead after the last move, before the journal went: the state is the new one and stays so.
    SwapFolders g;
    {
        const ScopedMoveHook hook (4);
        EXPECT_THROW (g.commit(), Interrupted);
    }
    ASSERT_TRUE (FileSwap::moveWithoutOverwriting (g.staged.getChildFile ("bankcollection"),
                                                   g.live.getChildFile ("bankcollection")));

    EXPECT_EQ (FileSwap::recover (g.root), FileSwap::Recovery::finished);
    EXPECT_EQ (g.liveContent ("model"), "new model");
    EXPECT_EQ (g.liveContent ("bankcollection"), "new bankcollection");
    EXPECT_FALSE (FileSwap::getJournalFile (g.root).exists());

    Leftovers::cleanDataFolder (g.root);
    EXPECT_EQ (pathsOf (filesOnly (snapshotOf (g.root))),
               juce::StringArray ({"bankcollection/file.json", "model/file.json"}));
}

struct HostileJournal
{
    const char* what;
    const char* text;
};

const HostileJournal hostileJournals[] = {
    {"a place above the folder", R"({"moves": [["model", "../outside/model"]], "first_install": 1})"},
    {"an absolute place", R"({"moves": [["model", "/tmp/glorvak-evil"]], "first_install": 1})"},
    {"no JSON", "{ torn"},
    {"no moves", R"({"first_install": 0})"},
    {"a move of three places", R"({"moves": [["model", "a", "b"]], "first_install": 1})"},
    {"a first install beyond the moves", R"({"moves": [["model", "a"]], "first_install": 5})"},
};

// The journal lives on volumes that anybody may have filled: one we cannot trust moves nothing.
TEST (SwapJournal, AJournalThatIsDamagedOrLeadsOutsideIsRemovedUnused)
{
    for (const auto& hostile : hostileJournals)
    {
        SCOPED_TRACE (hostile.what);
        SwapFolders f;
        const auto outside = f.scratch.child ("outside");
        outside.createDirectory();
        writeText (FileSwap::getJournalFile (f.root), hostile.text);

        EXPECT_EQ (FileSwap::recover (f.root), FileSwap::Recovery::nothingToDo);
        EXPECT_EQ (snapshotOf (f.root), f.fullState);
        EXPECT_EQ (outside.getNumberOfChildFiles (juce::File::findFilesAndDirectories), 0);
        EXPECT_FALSE (juce::File ("/tmp/glorvak-evil").exists());
    }
}

TEST (Leftovers, TheStartRemovesOurTemporariesAndNothingElse)
{
    ScratchFolder scratch;
    const auto data = scratch.child ("data");
    const auto elsewhere = scratch.child ("Documents");
    writeModelFolder (data, {{0, 0, "Kick.wav", 100}});
    writeCollectionFolder (data, 1, {{0, 0, "Stored.wav", 100}});

    const juce::StringArray ours{
        ".glorvak-tmp/model/model.json",  ".glorvak-tmp2/x",
        "model/.model_temp1f2e3d4c.json", "bankcollection/.bankcollection_tempabc.json",
        "model/samples/.import.wav",      "bankcollection/samples/.import3.wav",
        "model/samples/.replaced.wav"};
    const juce::StringArray theirs{"tmp/model/model.json",
                                   "tmp(2)/x",
                                   "damaged-2026-01-01_00-00-00/model.json",
                                   "glorvak-tmp",
                                   ".glorvak-tmp-notes",
                                   "model/.model_temp.json",
                                   "model/samples/.hidden.wav",
                                   "model/samples/Unused.txt"};
    for (const auto& path : ours)
        writeText (data.getChildFile (path), "x");
    for (const auto& path : theirs)
        writeText (data.getChildFile (path), "x");

    // The backup's temporary archive beside its target, and the zip library's own beside that.
    for (const auto* name : {".glorvak-tmp", ".glorvak-tmp.Ab12Cd", "backup.zip", ".glorvak-tmp.notes"})
        writeText (elsewhere.getChildFile (name), "x");
    Leftovers::recordOutsideTemporary (data, elsewhere.getChildFile (".glorvak-tmp"));

    Leftovers::cleanDataFolder (data);

    for (const auto& path : ours)
        EXPECT_FALSE (data.getChildFile (path).exists()) << path;
    for (const auto& path : theirs)
        EXPECT_TRUE (data.getChildFile (path).exists()) << path;
    EXPECT_EQ (pathsOf (snapshotOf (elsewhere)), juce::StringArray ({".glorvak-tmp.notes", "backup.zip"}));
    EXPECT_TRUE (data.getChildFile ("model/samples/Kick.wav").existsAsFile());
    EXPECT_EQ (data.getNumberOfChildFiles (juce::File::findFiles), 2) << "the record went too";
}

// A record pointing at something that is not a temporary of ours removes nothing.
TEST (Leftovers, ARecordOfAnotherNameRemovesNothing)
{
    ScratchFolder scratch;
    const auto data = scratch.child ("data");
    data.createDirectory();
    const auto precious = scratch.child ("precious.zip");
    writeText (precious, "mine");
    Leftovers::recordOutsideTemporary (data, precious);
    Leftovers::cleanDataFolder (data);
    EXPECT_TRUE (precious.existsAsFile());
}
} // namespace
