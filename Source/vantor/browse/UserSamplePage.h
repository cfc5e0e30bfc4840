#pragma once

#include "vantor/browse/AudioFileFilter.h"
#include "vantor/browse/FileTreeComponent.h"
#include "vantor/browse/FolderContentsList.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace common
{
class RemovableVolumeList;
}

namespace vantor::browse
{
/** The user's audio files as one tree: "Pinned Folders" (remembered in "PinnedFolders"), Music,
    Desktop, then "/" and every removable volume in the volume list's order, kept up to date about
    a second after the volumes change.

    Each entry but "Pinned Folders" is a source: a folder with its own list, reading thread
    ("UserSample_" + name) and hidden file tree, whose root item the one visible tree view shows
    (a placeholder stands in until the folder has been read).

    Before a source dies its items leave the visible tree, and the tree view drops their rows at
    once, so no row outlives its item.

    Threads: message thread; each source reads on its own thread, which is stopped and joined
    (never killed) before the source goes. */
class UserSamplePage : public juce::Component,
                       public juce::DragAndDropContainer,
                       private juce::ChangeListener,
                       private juce::Timer
{
public:
    /** Null volumes: the machine's own list. */
    explicit UserSamplePage (std::unique_ptr<common::RemovableVolumeList> volumes = nullptr);
    ~UserSamplePage() override;

    void preview (const juce::File& file);
    void stopOwnPreview();
    void refreshVolumes();
    void rebuildItems();
    void pin (const juce::String& path);
    void unpin (const juce::String& path);
    void showInExplorer (const juce::File& file);

    /** The context menu of the item (what mouseUp shows); empty for no menu. */
    juce::PopupMenu makeMenuFor (juce::TreeViewItem* item);

    void mouseUp (const juce::MouseEvent& e) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    void dragOperationStarted (const juce::DragAndDropTarget::SourceDetails&) override;
    void dragOperationEnded (const juce::DragAndDropTarget::SourceDetails&) override;

    /** The name of a pinned folder's source: the text after the last "/". */
    static juce::String nameFromPath (const juce::String& path);

    class TreeView;
    TreeView& getTreeView() noexcept { return *treeView; }
    juce::TreeViewItem& getPinnedFoldersItem() noexcept;
    juce::StringArray getSourceNames() const; // locations, then pinned, in order
    common::RemovableVolumeList& getVolumeList() noexcept { return *volumes; }

    /** The settle time after a change of the volumes. */
    static constexpr int volumeSettleMs = 1000;

private:
    class FileTreeSource;
    class RootItem;
    class PinnedFolders;

    void changeListenerCallback (juce::ChangeBroadcaster*) override; // the volume list
    void timerCallback() override;                                   // the volumes have settled
    void spaceDown();
    void detachItems (juce::TreeViewItem& parent, bool keepPinnedFoldersItem);
    bool isPinned (const juce::String& path) const;

    std::unique_ptr<common::RemovableVolumeList> volumes;
    juce::OwnedArray<FileTreeSource> locations;
    juce::OwnedArray<FileTreeSource> pinned;
    std::unique_ptr<RootItem> rootItem;
    std::unique_ptr<PinnedFolders> pinnedFoldersItem;
    std::unique_ptr<TreeView> treeView;
    juce::URL previewUrl;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UserSamplePage)
};

/** The page's tree view: reports focus changes and the Space key's press (once per press). */
class UserSamplePage::TreeView : public juce::TreeView
{
public:
    TreeView (std::function<void()> onFocusChange, std::function<void()> onSpaceDown);

    bool keyStateChanged (bool isKeyDown) override;
    void focusOfChildComponentChanged (juce::Component::FocusChangeType cause) override;
    bool isInterestedInFileDrag (const juce::StringArray&) override { return false; }

    /** Lays the rows out now: rows of items taken out of the tree go at once. */
    void dropRowsOfRemovedItems();

    /** The Space state at the last key-state change (shared by every such tree view). */
    static bool lastSpaceDown;

private:
    std::function<void()> onFocusChange, onSpaceDown;
};
} // namespace vantor::browse
