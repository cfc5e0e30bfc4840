#pragma once

#include "vantor/browse/FolderContentsList.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace vantor::browse
{
class FileListTreeItem;

/** A tree of one folder's audio files and sub-folders, read by a FolderContentsList: folders
    first, the items of a folder added and removed one by one as its list changes (never rebuilt
    as a whole), the three row icons rendered once per tree.

    The tree announces (as a change broadcaster) each new root item, so a page may take that item
    into a tree view of its own. A root folder that does not exist passes no folder test: its
    item has no open button and drags like a file.

    Threads: message thread only; the lists read their folders on the given thread. */
namespace detail
{
// The JUCE base of the tree wants a juce::DirectoryContentsList to refer to (the look-and-feel's
// row drawing takes the tree through that base). The tree never fills or starts it.
struct UnusedContentsList
{
    juce::TimeSliceThread unusedThread{"unused"};
    juce::DirectoryContentsList list{nullptr, unusedThread};
};
} // namespace detail

class FileTreeComponent : private detail::UnusedContentsList,
                          public juce::TreeView,
                          public juce::DirectoryContentsDisplayComponent,
                          public juce::ChangeBroadcaster,
                          private juce::ChangeListener
{
public:
    /** The list (and through it its filter and thread) outlives the tree. */
    explicit FileTreeComponent (FolderContentsList& rootList);
    ~FileTreeComponent() override;

    FolderContentsList& getRootList() noexcept { return rootList; }

    void setDragAndDropDescription (const juce::String& description);
    const juce::String& getDragAndDropDescription() const noexcept { return dragAndDropDescription; }

    void setItemHeight (int newHeight);
    int getItemHeight() const noexcept { return itemHeight; }

    /** Reads the root folder again. */
    void refresh();

    // juce::DirectoryContentsDisplayComponent
    int getNumSelectedFiles() const override;
    juce::File getSelectedFile (int index = 0) const override;
    void deselectAllFiles() override;
    void scrollToTop() override;
    void setSelectedFile (const juce::File&) override;

    /** The three row icons, rendered once for the whole tree. */
    struct Icons
    {
        juce::Image openFolder, closedFolder, audioFile;
    };
    const Icons& getIcons() const noexcept { return icons; }

    /** Renders the icon documents into 16 x 16 images. */
    static Icons renderIcons();

    /** An SVG document drawn 1:1 into a transparent 16 x 16 image (what lies beyond is cut). */
    static juce::Image renderIcon (const char* svg);

    /** The tree's own root item; null until the root folder has been read once. */
    FileListTreeItem* getRootFileItem() const noexcept { return rootFileItem; }

    // Called by the items.
    const juce::FileFilter* getFilter() const noexcept { return filter; }
    juce::TimeSliceThread& getThread() noexcept { return thread; }
    void notifySelectionChanged() { sendSelectionChangeMessage(); }
    void notifyClicked (const juce::File& file, const juce::MouseEvent& e)
    {
        sendMouseClickMessage (file, e);
    }
    void notifyDoubleClicked (const juce::File& file) { sendDoubleClickMessage (file); }

private:
    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    void makeRootItem();

    FolderContentsList& rootList;
    const juce::FileFilter* filter;
    juce::TimeSliceThread& thread;
    juce::String dragAndDropDescription;
    int itemHeight = 22;
    Icons icons;
    FileListTreeItem* rootFileItem = nullptr; // owned through the tree view as its root item

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FileTreeComponent)
};
} // namespace vantor::browse
