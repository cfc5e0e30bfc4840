#include "vantor/browse/FileListTreeItem.h"

#include "vantor/browse/FileTreeComponent.h"

namespace vantor::browse
{
namespace
{
juce::String makeDateText (const juce::Time& time)
{
    return time.toMilliseconds() == 0 ? juce::String() : time.formatted ("%d %b '%y %H:%M");
}
} // namespace

FileListTreeItem::FileListTreeItem (FileTreeComponent& ownerTree, const FolderContentsList::Entry& newEntry,
                                    bool listed)
    : owner (ownerTree)
    , entry (newEntry)
    , hasListingEntry (listed)
{
    updateEntry (newEntry);
}

FileListTreeItem::~FileListTreeItem()
{
    if (subList != nullptr)
        subList->removeChangeListener (this);
}

void FileListTreeItem::updateEntry (const FolderContentsList::Entry& newEntry)
{
    entry = newEntry;

    // An item without a listing entry (a tree's root, such as "/" or a volume) has no size or
    // date to show: its zeros would read "0 bytes".
    sizeText = hasListingEntry && !entry.isDirectory ? juce::File::descriptionOfSizeInBytes (entry.size)
                                                     : juce::String();
    dateText = hasListingEntry ? makeDateText (entry.modified) : juce::String();
}

bool FileListTreeItem::isFolder() const
{
    return entry.isDirectory || (!hasListingEntry && entry.file.isDirectory());
}

bool FileListTreeItem::mightContainSubItems()
{
    return isFolder();
}

juce::String FileListTreeItem::getUniqueName() const
{
    return entry.file.getFullPathName();
}

int FileListTreeItem::getItemHeight() const
{
    return owner.getItemHeight();
}

const juce::Image& FileListTreeItem::getIcon() const
{
    const auto& icons = owner.getIcons();

    if (!isFolder())
        return icons.audioFile;

    return const_cast<FileListTreeItem*> (this)->isOpen() ? icons.openFolder : icons.closedFolder;
}

void FileListTreeItem::itemOpennessChanged (bool isNowOpen)
{
    if (isNowOpen && isFolder())
    {
        if (this == owner.getRootFileItem())
        {
            followList (owner.getRootList());
        }
        else if (subList == nullptr)
        {
            subList = std::make_unique<FolderContentsList> (owner.getFilter(), owner.getThread());
            subList->addChangeListener (this);
            subList->setDirectory (entry.file);
        }
        else
        {
            followList (*subList);
        }
    }

    repaintItem();
}

void FileListTreeItem::changeListenerCallback (juce::ChangeBroadcaster*)
{
    if (subList != nullptr)
        followList (*subList);
}

void FileListTreeItem::followList (const FolderContentsList& list)
{
    const auto entries = list.getEntries();

    juce::HashMap<juce::String, int> wanted;
    for (size_t i = 0; i < entries.size(); ++i)
        wanted.set (entries[i].file.getFullPathName(), (int)i);

    // Items whose entries left go first (deleted while still in the tree, so the tree view drops
    // their rows at once).
    for (int i = getNumSubItems(); --i >= 0;)
        if (auto* item = dynamic_cast<FileListTreeItem*> (getSubItem (i)))
            if (!wanted.contains (item->getUniqueName()))
                removeSubItem (i, true);

    // What is left is in display order already; new entries are inserted where they belong.
    for (size_t i = 0; i < entries.size(); ++i)
    {
        const auto& e = entries[i];
        auto* existing = dynamic_cast<FileListTreeItem*> (getSubItem ((int)i));

        if (existing != nullptr && existing->getFile() == e.file)
        {
            existing->updateEntry (e);
            continue;
        }

        addSubItem (new FileListTreeItem (owner, e, true), (int)i);
    }

    // Entries that appeared twice in a row of changes cannot leave extra items behind.
    while (getNumSubItems() > (int)entries.size())
        removeSubItem (getNumSubItems() - 1, true);
}

void FileListTreeItem::paintItem (juce::Graphics& g, int width, int height)
{
    const auto name =
        entry.file.getFileName().isEmpty() ? entry.file.getFullPathName() : entry.file.getFileName();
    auto icon = getIcon();
    owner.getLookAndFeel().drawFileBrowserRow (g, width, height, entry.file, name, &icon, sizeText, dateText,
                                               isFolder(), isSelected(), getIndexInParent(), owner);
}

juce::var FileListTreeItem::getDragSourceDescription()
{
    if (isFolder())
        return juce::String();

    return owner.getDragAndDropDescription();
}

void FileListTreeItem::itemClicked (const juce::MouseEvent& e)
{
    owner.notifyClicked (entry.file, e);
}

void FileListTreeItem::itemDoubleClicked (const juce::MouseEvent& e)
{
    juce::TreeViewItem::itemDoubleClicked (e);
    owner.notifyDoubleClicked (entry.file);
}

void FileListTreeItem::itemSelectionChanged (bool)
{
    owner.notifySelectionChanged();
}

juce::String FileListTreeItem::getAccessibilityName()
{
    return entry.file.getFileName();
}
} // namespace vantor::browse
