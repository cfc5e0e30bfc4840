#include "vantor/browse/FileTreeComponent.h"

#include "vantor/browse/FileListTreeItem.h"

namespace vantor::browse
{
namespace
{
const char* const openFolderSvg =
    R"(<svg width="16" height="16" viewBox="0 0 16 16" fill="none" xmlns="http://www.w3.org/2000/svg">)"
    R"(<path d="M2 13V3H6L8 5H13V6H2.93617V11L4.05957 7H14L12.5957 13H2Z" fill="white"/></svg>)";

const char* const closedFolderSvg =
    R"(<svg width="16" height="16" viewBox="0 0 16 16" fill="none" xmlns="http://www.w3.org/2000/svg">)"
    R"(<path d="M2 3H6L8 5H14V13H2V3Z" fill="white"/></svg>)";

// 20 x 20 drawn unscaled into 16 x 16: the right end of the band and the two longest bars are cut.
const char* const audioFileSvg =
    R"(<svg width="20" height="20" viewBox="0 0 20 20" fill="none" xmlns="http://www.w3.org/2000/svg">)"
    R"(<path d="M7.2002 8.59961H8.59961V6.5H10V3.7002H11.4004V5.7998H12.7998V8.59961H14.2002V6.5H15.5996)"
    R"(V8.59961H17V11.4004H15.5996V13.5H14.2002V11.4004H12.7998V14.2002H11.4004V16.2998H10V13.5H8.59961)"
    R"(V11.4004H7.2002V17H5.7998V14.9004H4.40039V11.4004H3V8.59961H4.40039V5.09961H5.7998V3H7.2002V8.59961Z")"
    R"( fill="white"/></svg>)";

} // namespace

juce::Image FileTreeComponent::renderIcon (const char* svg)
{
    juce::Image image (juce::Image::ARGB, 16, 16, true, juce::NativeImageType());

    if (auto xml = juce::XmlDocument::parse (svg))
        if (auto drawable = juce::Drawable::createFromSVG (*xml))
        {
            juce::Graphics g (image);
            drawable->draw (g, 1.0f);
        }

    return image;
}

FileTreeComponent::Icons FileTreeComponent::renderIcons()
{
    return {renderIcon (openFolderSvg), renderIcon (closedFolderSvg), renderIcon (audioFileSvg)};
}

FileTreeComponent::FileTreeComponent (FolderContentsList& listToShow)
    : juce::DirectoryContentsDisplayComponent (list)
    , rootList (listToShow)
    , filter (listToShow.getFilter())
    , thread (listToShow.getThread())
    , icons (renderIcons())
{
    setRootItemVisible (false);
    rootList.addChangeListener (this);

    if (rootList.hasBeenRead())
        makeRootItem();
}

FileTreeComponent::~FileTreeComponent()
{
    rootList.removeChangeListener (this);
    deleteRootItem();
}

void FileTreeComponent::setDragAndDropDescription (const juce::String& description)
{
    dragAndDropDescription = description;
}

void FileTreeComponent::setItemHeight (int newHeight)
{
    if (itemHeight != newHeight)
    {
        itemHeight = newHeight;

        if (auto* root = getRootItem())
            root->treeHasChanged();
    }
}

void FileTreeComponent::refresh()
{
    rootList.refresh();
}

void FileTreeComponent::changeListenerCallback (juce::ChangeBroadcaster*)
{
    if (rootFileItem == nullptr || rootFileItem->getFile() != rootList.getDirectory())
    {
        if (rootList.hasBeenRead() || rootList.getNumFiles() > 0)
            makeRootItem();

        return;
    }

    rootFileItem->followList (rootList);
}

void FileTreeComponent::makeRootItem()
{
    if (rootList.getDirectory() == juce::File())
        return;

    if (rootFileItem != nullptr)
        if (auto* host = rootFileItem->getParentItem()) // taken into another tree view
            host->removeSubItem (rootFileItem->getIndexInParent(), false);

    deleteRootItem();

    FolderContentsList::Entry entry;
    entry.file = rootList.getDirectory();
    rootFileItem = new FileListTreeItem (*this, entry, false);
    setRootItem (rootFileItem); // the hidden root is opened, which fills it from the list
    rootFileItem->followList (rootList);
    sendChangeMessage();
}

int FileTreeComponent::getNumSelectedFiles() const
{
    return juce::TreeView::getNumSelectedItems();
}

juce::File FileTreeComponent::getSelectedFile (int index) const
{
    if (auto* item = dynamic_cast<const FileListTreeItem*> (getSelectedItem (index)))
        return item->getFile();

    return {};
}

void FileTreeComponent::deselectAllFiles()
{
    clearSelectedItems();
}

void FileTreeComponent::scrollToTop()
{
    getViewport()->getVerticalScrollBar().setCurrentRangeStart (0);
}

namespace
{
juce::TreeViewItem* findItem (juce::TreeViewItem& item, const juce::String& uniqueName)
{
    if (item.getUniqueName() == uniqueName)
        return &item;

    for (int i = 0; i < item.getNumSubItems(); ++i)
        if (auto* found = findItem (*item.getSubItem (i), uniqueName))
            return found;

    return nullptr;
}
} // namespace

void FileTreeComponent::setSelectedFile (const juce::File& file)
{
    if (auto* root = getRootItem())
        if (auto* item = findItem (*root, file.getFullPathName()))
        {
            item->setSelected (true, true);
            return;
        }

    clearSelectedItems();
}
} // namespace vantor::browse
