#include "vantor/browse/UserSamplePage.h"

#include "common/AppSettingsSingleton.h"
#include "common/SettingsKey.h"
#include "common/player/AudioPlayer.h"
#include "common/volumes/RemovableVolumeList.h"
#include "vantor/browse/FileListTreeItem.h"
#include "vantor/browse/FileManagerLauncher.h"
#include "vantor/browse/SamplePreview.h"
#include "vantor/browse/UserFolders.h"

namespace vantor::browse
{
namespace
{
const char* const pinSvg =
    R"(<svg width="16" height="16" viewBox="0 0 16 16" fill="none" xmlns="http://www.w3.org/2000/svg">)"
    R"(<path d="M7.07031 7.74927L7.93634 8.24927L6.43634 10.8473L5.68634 12.1464L4.81272 13.2076C4.75912 )"
    R"(13.2727 4.6663 13.2895 4.59326 13.2473L4.41339 13.1435C4.34035 13.1013 4.3085 13.0125 4.33809 13.0)"
    R"(336L4.82031 11.6464L5.57031 10.3473L7.07031 7.74927Z" fill="white"/>)"
    R"(<path d="M12.1786 3.77222C12.261 3.81992 12.2886 3.9254 12.241 4.00785L12.0447 4.34783C11.9869 4.)"
    R"(44786 11.8976 4.52657 11.7904 4.5697L10.7678 4.97952L9.79362 8.49689L10.3886 9.6929C10.4401 9.79645 )"
    R"(10.436 9.91939 10.3782 10.0195L10.0335 10.6166L3.96875 7.11516L4.31348 6.51807C4.37125 6.41801 4.475)"
    R"(36 6.35385 4.59066 6.34658L5.95604 6.26096L8.5034 3.67106L8.34739 2.5819C8.33112 2.46746 8.35464 2.3)"
    R"(5082 8.41234 2.25066L8.60863 1.91068C8.65622 1.82824 8.76142 1.79947 8.8439 1.84692L12.1786 3.77222Z")"
    R"( fill="white"/></svg>)";

const char* const greyFolderSvg =
    R"(<svg width="16" height="16" viewBox="0 0 16 16" fill="none" xmlns="http://www.w3.org/2000/svg">)"
    R"(<path d="M2 3H6L8 5H14V13H2V3Z" fill="#555555"/></svg>)";

bool hasFocusInside (juce::TreeView& tree)
{
    auto* focused = juce::Component::getCurrentlyFocusedComponent();
    auto* viewport = tree.getViewport();
    return focused != nullptr && (focused == viewport || viewport->isParentOf (focused));
}

// The row of "Pinned Folders" and of a placeholder: icon, then one line of text.
void paintLabelRow (juce::Graphics& g, juce::TreeView& tree, bool selected, const juce::Image& icon,
                    const juce::String& text, bool dimmed, int width, int height)
{
    if (selected)
        g.fillAll (tree.findColour (juce::DirectoryContentsDisplayComponent::highlightColourId)
                       .withBrightness (hasFocusInside (tree) ? 1.0f : 0.47f));

    g.setColour (juce::Colour (0xff000000));
    if (icon.isValid())
        g.drawImageWithin (icon, 2, 2, 28, height - 4,
                           juce::RectanglePlacement::centred | juce::RectanglePlacement::onlyReduceInSize);

    auto colour = tree.findColour (selected ? juce::DirectoryContentsDisplayComponent::highlightedTextColourId
                                            : juce::DirectoryContentsDisplayComponent::textColourId);
    if (dimmed)
        colour = colour.withBrightness (0.47f);

    g.setColour (colour);
    g.setFont (juce::Font (juce::jmax (14.0f, (float)height * 0.7f),
                           selected ? juce::Font::bold : juce::Font::plain));
    g.drawFittedText (text, 32, 0, width - 32, height, juce::Justification::centredLeft, 1);
}
} // namespace

//==============================================================================
class UserSamplePage::RootItem : public juce::TreeViewItem
{
public:
    bool mightContainSubItems() override { return true; }
    juce::String getUniqueName() const override { return "RootItem"; }
};

class UserSamplePage::PinnedFolders : public juce::TreeViewItem
{
public:
    explicit PinnedFolders (juce::TreeView& treeToPaintIn)
        : tree (treeToPaintIn)
        , icon (FileTreeComponent::renderIcon (pinSvg))
    {
    }

    bool mightContainSubItems() override { return true; }
    juce::String getUniqueName() const override { return "PinnedFolders"; }

    void paintItem (juce::Graphics& g, int width, int height) override
    {
        paintLabelRow (g, tree, isSelected(), icon, juce::translate ("Pinned Folders"), false, width, height);
    }

private:
    juce::TreeView& tree; // the page's tree view, which outlives its items
    juce::Image icon;
};

//==============================================================================
/** One folder shown in the page's tree: its thread, filter, list and hidden file tree. */
class UserSamplePage::FileTreeSource : private juce::ChangeListener, private juce::FileBrowserListener
{
public:
    FileTreeSource (UserSamplePage& ownerPage, const juce::String& sourceName, const juce::File& folder)
        : page (ownerPage)
        , thread (std::make_unique<juce::TimeSliceThread> ("UserSample_" + sourceName))
        , filter (std::make_unique<AudioFileFilter>())
        , list (std::make_unique<FolderContentsList> (filter.get(), *thread))
        , name (sourceName)
    {
        list->setDirectory (folder);
        tree = std::make_unique<FileTreeComponent> (*list);
        tree->setDragAndDropDescription ("UserSample_" + name);
        tree->addChangeListener (this);
        tree->addListener (this);

        if (page.treeView != nullptr)
            page.treeView->addChildComponent (*tree); // never shown; there for its look-and-feel

        thread->startThread();
    }

    ~FileTreeSource() override
    {
        tree->removeListener (this);
        tree->removeChangeListener (this);
        placeholder.reset();
        tree.reset();
        list.reset();
        // Joined without a time-out: the reading ends after its current batch.
        thread->signalThreadShouldExit();
        thread->stopThread (-1);
    }

    juce::TreeViewItem* getItem()
    {
        if (auto* root = tree->getRootItem())
            return root;

        if (placeholder == nullptr)
            placeholder = std::make_unique<DummyItem> (*this);

        return placeholder.get();
    }

    const juce::String& getName() const noexcept { return name; }
    juce::File getFolder() const { return list->getDirectory(); }
    FileTreeComponent& getTree() noexcept { return *tree; }
    bool isReading() const { return list->isStillLoading(); }

private:
    class DummyItem : public juce::TreeViewItem
    {
    public:
        explicit DummyItem (FileTreeSource& ownerSource)
            : source (ownerSource)
            , icon (FileTreeComponent::renderIcon (greyFolderSvg))
        {
        }

        bool mightContainSubItems() override { return false; }
        // The folder's path; a failed lookup (no folder) still needs a name to keep openness by.
        juce::String getUniqueName() const override
        {
            const auto path = source.getFolder().getFullPathName();
            return path.isNotEmpty() ? path : "Placeholder_" + source.name;
        }

        void paintItem (juce::Graphics& g, int width, int height) override
        {
            if (auto* tree = dynamic_cast<juce::TreeView*> (source.tree->getParentComponent()))
                paintLabelRow (g, *tree, isSelected(), icon, source.name, true, width, height);
        }

    private:
        FileTreeSource& source;
        juce::Image icon;
    };

    void changeListenerCallback (juce::ChangeBroadcaster*) override
    {
        auto state = page.rootItem->getOpennessState();
        page.rebuildItems();

        if (state != nullptr)
            page.rootItem->restoreOpennessState (*state);
    }

    void selectionChanged() override { page.stopOwnPreview(); }
    void fileClicked (const juce::File&, const juce::MouseEvent&) override {}
    void fileDoubleClicked (const juce::File&) override {}
    void browserRootChanged (const juce::File&) override {}

    UserSamplePage& page;
    std::unique_ptr<juce::TimeSliceThread> thread;
    std::unique_ptr<AudioFileFilter> filter;
    std::unique_ptr<FolderContentsList> list;
    std::unique_ptr<FileTreeComponent> tree;
    const juce::String name;
    std::unique_ptr<DummyItem> placeholder;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FileTreeSource)
};

//==============================================================================
bool UserSamplePage::TreeView::lastSpaceDown = false;

UserSamplePage::TreeView::TreeView (std::function<void()> focusChange, std::function<void()> spaceDown)
    : onFocusChange (std::move (focusChange))
    , onSpaceDown (std::move (spaceDown))
{
}

bool UserSamplePage::TreeView::keyStateChanged (bool)
{
    // Read from the keyboard state, not the event: auto-repeat must not toggle the preview again.
    const bool down = juce::KeyPress::isKeyCurrentlyDown (juce::KeyPress::spaceKey);

    if (down == lastSpaceDown)
        return false;

    if (down && onSpaceDown)
        onSpaceDown();

    lastSpaceDown = down;
    return true;
}

void UserSamplePage::TreeView::focusOfChildComponentChanged (juce::Component::FocusChangeType)
{
    if (onFocusChange)
        onFocusChange();

    repaint();
}

void UserSamplePage::TreeView::dropRowsOfRemovedItems()
{
    // Setting the root again lays the rows out at once; the usual update would come later, after
    // the removed items may already be gone.
    if (auto* root = getRootItem())
    {
        setRootItem (nullptr);
        setRootItem (root);
    }
}

//==============================================================================
UserSamplePage::UserSamplePage (std::unique_ptr<common::RemovableVolumeList> volumeList)
    : volumes (volumeList != nullptr ? std::move (volumeList)
                                     : std::make_unique<common::RemovableVolumeList>())
{
    rootItem = std::make_unique<RootItem>();
    treeView = std::make_unique<TreeView> ([this] { stopOwnPreview(); }, [this] { spaceDown(); });
    treeView->setRootItem (rootItem.get());
    treeView->setRootItemVisible (false);
    addAndMakeVisible (*treeView);
    treeView->setWantsKeyboardFocus (false);
    treeView->addMouseListener (this, true);

    volumes->addChangeListener (this);

    pinnedFoldersItem = std::make_unique<PinnedFolders> (*treeView);
    pinnedFoldersItem->setOpen (true);
    rootItem->addSubItem (pinnedFoldersItem.get(), 0);

    if (auto* settings = common::AppSettingsSingleton::getInstance())
    {
        const auto value = settings->getValue (common::SettingsKey::PinnedFolders, {});

        if (auto* paths = value.getArray())
            for (const auto& path : *paths)
                pinned.add (
                    new FileTreeSource (*this, nameFromPath (path.toString()), juce::File (path.toString())));
    }

    locations.add (new FileTreeSource (*this, "Music", UserFolders::findMusicFolder()));
    locations.add (new FileTreeSource (*this, "Desktop", UserFolders::findDesktopFolder()));

    refreshVolumes();
}

UserSamplePage::~UserSamplePage()
{
    stopTimer();
    volumes->removeChangeListener (this);
    treeView->removeMouseListener (this);

    // The sources' items leave the tree view (and their rows go) before the sources die; the
    // page's own two items leave with the root, which clears their link to the tree view.
    detachItems (*pinnedFoldersItem, false);
    detachItems (*rootItem, true);
    treeView->dropRowsOfRemovedItems();

    pinned.clear();
    locations.clear();
    treeView->setRootItem (nullptr);
    detachItems (*rootItem, false); // a tree item owns its sub-items; this one is the page's
    treeView.reset();
    pinnedFoldersItem.reset();
    rootItem.reset();
}

juce::TreeViewItem& UserSamplePage::getPinnedFoldersItem() noexcept
{
    return *pinnedFoldersItem;
}

juce::StringArray UserSamplePage::getSourceNames() const
{
    juce::StringArray names;
    for (auto* s : locations)
        names.add (s->getName());
    for (auto* s : pinned)
        names.add (s->getName());
    return names;
}

juce::String UserSamplePage::nameFromPath (const juce::String& path)
{
    return path.fromLastOccurrenceOf ("/", false, false);
}

void UserSamplePage::detachItems (juce::TreeViewItem& parent, bool keepPinnedFoldersItem)
{
    for (int i = parent.getNumSubItems(); --i >= 0;)
        if (!(keepPinnedFoldersItem && parent.getSubItem (i) == pinnedFoldersItem.get()))
            parent.removeSubItem (i, false);
}

void UserSamplePage::rebuildItems()
{
    JUCE_ASSERT_MESSAGE_THREAD

    detachItems (*pinnedFoldersItem, false);
    detachItems (*rootItem, true);

    for (auto* source : pinned)
    {
        auto* item = source->getItem();
        pinnedFoldersItem->addSubItem (item);
        if (item->isOpen())
            item->setOpen (false);
    }

    for (auto* source : locations)
    {
        auto* item = source->getItem();
        rootItem->addSubItem (item);
        if (item->isOpen())
            item->setOpen (false);
    }
}

void UserSamplePage::changeListenerCallback (juce::ChangeBroadcaster*)
{
    startTimer (volumeSettleMs); // a second change within the time starts it again
}

void UserSamplePage::timerCallback()
{
    stopTimer();
    refreshVolumes();
}

void UserSamplePage::refreshVolumes()
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto state = rootItem->getOpennessState();
    detachItems (*rootItem, true);
    treeView->dropRowsOfRemovedItems();

    juce::Array<juce::File> roots{juce::File ("/")};
    for (const auto& volume : volumes->getVolumes())
        roots.addIfNotAlreadyThere (volume.rootFolder);

    for (int i = locations.size(); --i >= 0;)
    {
        const auto& name = locations[i]->getName();

        if (name == "Music" || name == "Desktop")
            continue;

        const bool stillThere =
            std::any_of (roots.begin(), roots.end(),
                         [&name] (const juce::File& root) { return root.getFullPathName() == name; });
        if (!stillThere)
            locations.remove (i);
    }

    for (const auto& root : roots)
    {
        const auto path = root.getFullPathName();
        const bool known = std::any_of (locations.begin(), locations.end(),
                                        [&path] (FileTreeSource* s) { return s->getName() == path; });
        if (!known)
            locations.add (new FileTreeSource (*this, path, root));
    }

    for (auto* source : locations)
    {
        auto* item = source->getItem();
        rootItem->addSubItem (item);
        if (item->isOpen())
            item->setOpen (false);
    }

    if (state != nullptr)
        rootItem->restoreOpennessState (*state);
}

bool UserSamplePage::isPinned (const juce::String& path) const
{
    return std::any_of (pinned.begin(), pinned.end(),
                        [&path] (FileTreeSource* s) { return s->getFolder().getFullPathName() == path; });
}

void UserSamplePage::pin (const juce::String& path)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto state = pinnedFoldersItem->getOpennessState();

    if (auto* settings = common::AppSettingsSingleton::getInstanceWithoutCreating())
    {
        auto value = settings->getValue (common::SettingsKey::PinnedFolders, {});
        bool added = true;

        if (auto* paths = value.getArray())
        {
            if (paths->contains (path))
                added = false;
            else
                paths->add (path);
        }
        else
        {
            value = juce::var (juce::Array<juce::var>{});
            value.getArray()->add (path);
        }

        settings->setValue (common::SettingsKey::PinnedFolders, value);

        if (added)
        {
            auto* source = new FileTreeSource (*this, nameFromPath (path), juce::File (path));
            auto* item = source->getItem();
            pinnedFoldersItem->addSubItem (item);
            item->setOpen (false);
            pinned.add (source);
        }
    }

    if (state != nullptr)
        pinnedFoldersItem->restoreOpennessState (*state);
}

void UserSamplePage::unpin (const juce::String& path)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto state = pinnedFoldersItem->getOpennessState();

    if (auto* settings = common::AppSettingsSingleton::getInstanceWithoutCreating())
    {
        auto value = settings->getValue (common::SettingsKey::PinnedFolders, {});
        bool removed = false;

        if (auto* paths = value.getArray())
        {
            const auto index = paths->indexOf (path);
            if (index >= 0)
            {
                paths->remove (index);
                paths->minimiseStorageOverheads();
                removed = true;
            }
        }

        settings->setValue (common::SettingsKey::PinnedFolders, value);

        if (removed)
        {
            detachItems (*pinnedFoldersItem, false);
            treeView->dropRowsOfRemovedItems();

            for (int i = 0; i < pinned.size(); ++i)
                if (pinned[i]->getFolder().getFullPathName() == path)
                    pinned.remove (i); // the source that moves into place i is not looked at

            for (auto* source : pinned)
            {
                auto* item = source->getItem();
                pinnedFoldersItem->addSubItem (item);
                item->setOpen (false);
            }
        }
    }

    if (state != nullptr)
        pinnedFoldersItem->restoreOpennessState (*state);
}

juce::PopupMenu UserSamplePage::makeMenuFor (juce::TreeViewItem* item)
{
    juce::PopupMenu menu;

    if (item == nullptr || item == pinnedFoldersItem.get())
        return menu;

    const auto path = item->getUniqueName();
    juce::Component::SafePointer<UserSamplePage> self (this);

    auto underPinned = [this] (juce::TreeViewItem* i)
    {
        for (auto* p = i->getParentItem(); p != nullptr; p = p->getParentItem())
            if (p == pinnedFoldersItem.get())
                return true;
        return false;
    };

    if (item->getParentItem() == pinnedFoldersItem.get())
    {
        menu.addItem (juce::translate ("Unpin"),
                      [self, path]
                      {
                          if (self != nullptr)
                              self->unpin (path);
                      });
        menu.addSeparator();
    }
    else if (item->mightContainSubItems() && item->getParentItem() != rootItem.get() && !underPinned (item))
    {
        menu.addItem (juce::translate ("Pin"), !isPinned (path), false,
                      [self, path]
                      {
                          if (self != nullptr)
                              self->pin (path);
                      });
        menu.addSeparator();
    }

    if (!item->mightContainSubItems())
    {
        menu.addItem (juce::translate ("Preview play"),
                      [self, path]
                      {
                          if (self != nullptr)
                              self->preview (juce::File (path));
                      });
        menu.addSeparator();
    }

    menu.addItem (juce::translate ("Show in Explorer"),
                  [self, path]
                  {
                      if (self != nullptr)
                          self->showInExplorer (juce::File (path));
                  });
    return menu;
}

void UserSamplePage::mouseUp (const juce::MouseEvent& e)
{
    if (!e.mods.isRightButtonDown() || juce::roundToInt (e.getDistanceFromDragStart()) > 5)
        return;

    const auto y = e.getEventRelativeTo (treeView.get()).getPosition().y;
    auto menu = makeMenuFor (treeView->getItemAt (y));

    if (menu.getNumItems() > 0)
        menu.showMenuAsync (juce::PopupMenu::Options());
}

void UserSamplePage::showInExplorer (const juce::File& file)
{
    FileManagerLauncher::showInFileManager (file);
}

void UserSamplePage::preview (const juce::File& file)
{
    SamplePreview::play (previewUrl, file);
}

void UserSamplePage::stopOwnPreview()
{
    SamplePreview::stopIfPlaying (previewUrl);
}

void UserSamplePage::spaceDown()
{
    if (auto* item = treeView->getSelectedItem (0))
        if (!item->mightContainSubItems())
            SamplePreview::toggle (previewUrl, juce::File (item->getUniqueName()));
}

void UserSamplePage::dragOperationStarted (const juce::DragAndDropTarget::SourceDetails&)
{
    SamplePreview::pointAtSlotView (true);
}

void UserSamplePage::dragOperationEnded (const juce::DragAndDropTarget::SourceDetails&)
{
    SamplePreview::pointAtSlotView (false);
}

void UserSamplePage::resized()
{
    treeView->setBounds (1, 1, juce::jmax (0, getWidth() - 2), juce::jmax (0, getHeight() - 2));
}

void UserSamplePage::paint (juce::Graphics& g)
{
    g.fillAll (getLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId));
    g.setColour (findColour (juce::ListBox::outlineColourId));
    g.drawRect (getLocalBounds().toFloat(), 1.0f);
}
} // namespace vantor::browse
