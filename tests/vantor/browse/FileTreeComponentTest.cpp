#include "vantor/browse/FileTreeComponent.h"

#include "vantor/browse/AudioFileFilter.h"
#include "vantor/browse/FileListTreeItem.h"
#include "vantor/browse/FolderContentsList.h"

#include "support/MessagePump.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

namespace
{
using namespace vantor::browse;
using glorvak::test::pumpMessagesUntil;
using glorvak::test::ScratchFolder;

// A folder read on its own thread, shown by a tree that is never put on screen.
struct TreeFixture
{
    explicit TreeFixture (const juce::File& folder)
    {
        list.setDirectory (folder);
        thread.startThread();
        tree = std::make_unique<FileTreeComponent> (list);
        tree->setBounds (0, 0, 300, 400);
        tree->setDragAndDropDescription ("UserSample_Test");
    }

    ~TreeFixture()
    {
        tree.reset();
        thread.stopThread (-1);
    }

    bool waitUntilRead()
    {
        return pumpMessagesUntil ([this]
                                  { return list.hasBeenRead() && tree->getRootFileItem() != nullptr; });
    }

    juce::StringArray namesUnder (juce::TreeViewItem& item)
    {
        juce::StringArray names;
        for (int i = 0; i < item.getNumSubItems(); ++i)
            names.add (juce::File (item.getSubItem (i)->getUniqueName()).getFileName());
        return names;
    }

    AudioFileFilter filter;
    juce::TimeSliceThread thread{"UserSample_Test"};
    FolderContentsList list{&filter, thread};
    std::unique_ptr<FileTreeComponent> tree;
};

void touch (const juce::File& file)
{
    file.getParentDirectory().createDirectory();
    file.replaceWithText ("x");
}

TEST (FolderContentsList, FoldersComeFirstAndTheAudioPatternsIgnoreLetterCase)
{
    ScratchFolder scratch;
    for (auto* name :
         {"b.WAV", "a.wav", "c.txt", "Loop.Flac", "x.ogg", "track10.mp3", "track9.mp3", ".hidden.wav"})
        touch (scratch.child (name));
    for (auto* name : {"Zed", "alpha"})
        scratch.child (name).createDirectory();

    AudioFileFilter filter;
    juce::TimeSliceThread thread ("UserSample_Test");
    FolderContentsList list (&filter, thread);
    list.setDirectory (scratch.get());
    thread.startThread();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return list.hasBeenRead(); }));

    juce::StringArray names;
    for (const auto& e : list.getEntries())
        names.add (e.name);
    EXPECT_EQ (names.joinIntoString ("|"), "alpha|Zed|a.wav|b.WAV|Loop.Flac|track9.mp3|track10.mp3");
    EXPECT_FALSE (list.isStillLoading());
    thread.stopThread (-1);
}

TEST (FolderContentsList, LargeFoldersArriveInBatchesAndEndSorted)
{
    ScratchFolder scratch;
    const int count = FolderContentsList::batchSize * 3 + 17;
    for (int i = count; --i >= 0;)
        touch (scratch.child ("s" + juce::String (i) + ".wav"));
    scratch.child ("folder").createDirectory();

    AudioFileFilter filter;
    juce::TimeSliceThread thread ("UserSample_Test");
    FolderContentsList list (&filter, thread);
    list.setDirectory (scratch.get());
    thread.startThread();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return list.hasBeenRead(); }, 60000));

    const auto entries = list.getEntries();
    ASSERT_EQ ((int)entries.size(), count + 1);
    EXPECT_TRUE (entries.front().isDirectory);
    EXPECT_TRUE (std::is_sorted (entries.begin(), entries.end(), FolderContentsList::comesBefore));
    thread.stopThread (-1);
}

TEST (FileTree, TheRootItemIsAnnouncedAndShowsTheFolderSortedAndFiltered)
{
    ScratchFolder scratch;
    touch (scratch.child ("kick.wav"));
    touch (scratch.child ("notes.txt"));
    scratch.child ("Loops").createDirectory();
    touch (scratch.child ("Loops/inner.aif"));

    TreeFixture f (scratch.get());
    struct Counter : juce::ChangeListener
    {
        void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
        int count = 0;
    } counter;
    f.tree->addChangeListener (&counter);

    ASSERT_TRUE (f.waitUntilRead());
    EXPECT_TRUE (pumpMessagesUntil ([&] { return counter.count >= 1; }) ||
                 f.tree->getRootFileItem() != nullptr);
    auto* root = f.tree->getRootFileItem();
    EXPECT_EQ (root->getUniqueName(), scratch.get().getFullPathName());
    EXPECT_EQ (f.namesUnder (*root).joinIntoString ("|"), "Loops|kick.wav");
    f.tree->removeChangeListener (&counter);
}

TEST (FileTree, IconsAndDragsFollowTheKindOfItem)
{
    ScratchFolder scratch;
    touch (scratch.child ("kick.wav"));
    scratch.child ("Loops").createDirectory();
    touch (scratch.child ("Loops/inner.aif"));
    TreeFixture f (scratch.get());
    ASSERT_TRUE (f.waitUntilRead());

    auto* root = f.tree->getRootFileItem();
    auto* folder = dynamic_cast<FileListTreeItem*> (root->getSubItem (0));
    auto* file = dynamic_cast<FileListTreeItem*> (root->getSubItem (1));
    ASSERT_NE (folder, nullptr);
    ASSERT_NE (file, nullptr);
    const auto& icons = f.tree->getIcons();

    // One set of images for the whole tree: every item shows the tree's own.
    EXPECT_TRUE (icons.audioFile.isValid() && icons.openFolder.isValid() && icons.closedFolder.isValid());
    EXPECT_EQ (file->getIcon(), icons.audioFile);
    EXPECT_EQ (folder->getIcon(), icons.closedFolder);
    folder->setOpen (true);
    EXPECT_EQ (folder->getIcon(), icons.openFolder);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return folder->getNumSubItems() == 1; }));
    folder->setOpen (false);
    EXPECT_EQ (folder->getIcon(), icons.closedFolder);

    EXPECT_TRUE (folder->mightContainSubItems());
    EXPECT_FALSE (file->mightContainSubItems());
    EXPECT_EQ (folder->getDragSourceDescription().toString(), "");
    EXPECT_EQ (file->getDragSourceDescription().toString(), "UserSample_Test");
    EXPECT_EQ (file->getUniqueName(), scratch.child ("kick.wav").getFullPathName());

    // The root has no listing entry: the file system says it is a folder.
    EXPECT_TRUE (root->mightContainSubItems());
    EXPECT_EQ (root->getDragSourceDescription().toString(), "");
}

// What a row hands to the look-and-feel, recorded instead of drawn.
struct RowRecorder : public juce::LookAndFeel_V4
{
    void drawFileBrowserRow (juce::Graphics&, int, int, const juce::File&, const juce::String& filename,
                             juce::Image*, const juce::String& sizeText, const juce::String& dateText,
                             bool isDirectory, bool, int, juce::DirectoryContentsDisplayComponent&) override
    {
        name = filename;
        size = sizeText;
        date = dateText;
        folder = isDirectory;
    }

    juce::String name, size, date;
    bool folder = false;
};

// A root item has no listing entry: it is drawn as the folder it is, with no "0 bytes" and no
// date, and "/" (which has no file name) by its path. Listed files keep their size.
TEST (FileTree, RootRowsShowNoSizeAndTheSystemRootReadsSlash)
{
    ScratchFolder scratch;
    touch (scratch.child ("kick.wav"));
    RowRecorder recorder;
    juce::Image image (juce::Image::ARGB, 600, 24, true);
    juce::Graphics g (image);

    struct Case
    {
        juce::File folder;
        juce::String name;
    };
    for (const auto& c : {Case{scratch.get(), scratch.get().getFileName()}, Case{juce::File ("/"), "/"}})
    {
        SCOPED_TRACE (c.folder.getFullPathName());
        TreeFixture f (c.folder);
        f.tree->setLookAndFeel (&recorder);
        ASSERT_TRUE (f.waitUntilRead());
        auto* root = f.tree->getRootFileItem();
        root->paintItem (g, 600, 24);
        EXPECT_EQ (recorder.name, c.name);
        EXPECT_EQ (recorder.size, "");
        EXPECT_EQ (recorder.date, "");
        EXPECT_TRUE (recorder.folder);
        f.tree->setLookAndFeel (nullptr);
    }

    TreeFixture f (scratch.get());
    f.tree->setLookAndFeel (&recorder);
    ASSERT_TRUE (f.waitUntilRead());
    ASSERT_EQ (f.tree->getRootFileItem()->getNumSubItems(), 1);
    f.tree->getRootFileItem()->getSubItem (0)->paintItem (g, 600, 24);
    EXPECT_EQ (recorder.name, "kick.wav");
    EXPECT_EQ (recorder.size, juce::File::descriptionOfSizeInBytes (1));
    EXPECT_NE (recorder.date, "");
    EXPECT_FALSE (recorder.folder);
    f.tree->setLookAndFeel (nullptr);
}

TEST (FileTree, AMissingRootFailsTheFolderTest)
{
    ScratchFolder scratch;
    TreeFixture f (scratch.child ("gone"));
    ASSERT_TRUE (f.waitUntilRead());
    auto* root = f.tree->getRootFileItem();
    EXPECT_FALSE (root->mightContainSubItems());
    EXPECT_EQ (root->getIcon(), f.tree->getIcons().audioFile);
    EXPECT_EQ (root->getDragSourceDescription().toString(), "UserSample_Test");
}

TEST (FileTree, ItemsAreAddedAndRemovedOneByOne)
{
    ScratchFolder scratch;
    for (auto* name : {"b.wav", "d.wav"})
        touch (scratch.child (name));
    TreeFixture f (scratch.get());
    ASSERT_TRUE (f.waitUntilRead());

    auto* root = f.tree->getRootFileItem();
    auto* b = root->getSubItem (0);
    b->setSelected (true, true);

    touch (scratch.child ("a.wav"));
    touch (scratch.child ("c.wav"));
    scratch.child ("d.wav").deleteFile();
    f.tree->refresh();
    ASSERT_TRUE (
        pumpMessagesUntil ([&] { return f.namesUnder (*root).joinIntoString ("|") == "a.wav|b.wav|c.wav"; }));

    // The item that stayed is the same object, still selected.
    EXPECT_EQ (root->getSubItem (1), b);
    EXPECT_TRUE (b->isSelected());
    EXPECT_EQ (f.tree->getSelectedFile(), scratch.child ("b.wav"));
}
} // namespace
