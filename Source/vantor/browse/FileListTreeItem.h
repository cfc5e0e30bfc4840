#pragma once

#include "vantor/browse/FolderContentsList.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace vantor::browse
{
class FileTreeComponent;

/** One file or folder of a FileTreeComponent. A folder item reads its folder when first opened,
    through a list of its own, and follows that list by adding and removing single items (an item
    that stays keeps its openness, selection and sub-items).

    The folder test: an item is a folder when its listing entry says so or, for an item without
    one (a tree's root), when the file system says so now. Folders are never drag sources.

    Threads: message thread only. */
class FileListTreeItem : public juce::TreeViewItem, private juce::ChangeListener
{
public:
    /** The owner outlives the item. */
    FileListTreeItem (FileTreeComponent& owner, const FolderContentsList::Entry& entry, bool hasListingEntry);
    ~FileListTreeItem() override;

    const juce::File& getFile() const noexcept { return entry.file; }
    bool isFolder() const;

    /** Takes the values of a new listing entry of the same file. */
    void updateEntry (const FolderContentsList::Entry& newEntry);

    /** Follows the list: removes the items of entries that left, inserts the new ones in place.
        The root item follows the tree's root list this way. */
    void followList (const FolderContentsList& list);

    /** The icon the row shows now (open or closed folder, or audio file). */
    const juce::Image& getIcon() const;

    bool mightContainSubItems() override;
    juce::String getUniqueName() const override;
    int getItemHeight() const override;
    void itemOpennessChanged (bool isNowOpen) override;
    void paintItem (juce::Graphics& g, int width, int height) override;
    juce::var getDragSourceDescription() override;
    void itemClicked (const juce::MouseEvent& e) override;
    void itemDoubleClicked (const juce::MouseEvent& e) override;
    void itemSelectionChanged (bool isNowSelected) override;
    juce::String getAccessibilityName() override;

private:
    void changeListenerCallback (juce::ChangeBroadcaster*) override;

    FileTreeComponent& owner;
    FolderContentsList::Entry entry;
    const bool hasListingEntry;
    juce::String sizeText, dateText;
    std::unique_ptr<FolderContentsList> subList; // made when the folder is first opened

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FileListTreeItem)
};
} // namespace vantor::browse
