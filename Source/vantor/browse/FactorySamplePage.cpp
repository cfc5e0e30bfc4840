#include "vantor/browse/FactorySamplePage.h"

#include "common/AppInfo.h"
#include "vantor/browse/SamplePreview.h"

namespace vantor::browse
{
bool FactorySamplePage::lastSpaceDown = false;

FactorySamplePage::FactorySamplePage (const juce::File& folder)
    : thread (std::make_unique<juce::TimeSliceThread> ("FactorySample"))
    , filter (std::make_unique<AudioFileFilter>())
    , list (std::make_unique<FolderContentsList> (filter.get(), *thread))
{
    list->setDirectory (folder != juce::File() ? folder : common::AppInfo::getFactorySamplesFolder());

    tree = std::make_unique<FileTreeComponent> (*list);
    tree->setDragAndDropDescription ("FactorySample");
    addAndMakeVisible (*tree);
    tree->setWantsKeyboardFocus (false);
    tree->addKeyListener (this);
    tree->addMouseListener (this, true);
    tree->addListener (this);

    if (!thread->isThreadRunning())
        thread->startThread();
}

FactorySamplePage::~FactorySamplePage()
{
    tree->removeListener (this);
    tree->removeMouseListener (this);
    tree->removeKeyListener (this);
    tree.reset();
    list.reset();
    filter.reset();
    // Joined without a time-out: the reading ends after its current batch.
    thread->stopThread (-1);
}

void FactorySamplePage::preview (const juce::File& file)
{
    SamplePreview::play (previewUrl, file);
}

void FactorySamplePage::selectionChanged()
{
    SamplePreview::stopIfPlaying (previewUrl);
}

void FactorySamplePage::focusOfChildComponentChanged (juce::Component::FocusChangeType)
{
    selectionChanged();
}

bool FactorySamplePage::keyStateChanged (bool, juce::Component*)
{
    // Read from the keyboard state: a held key's auto-repeat must not toggle again.
    const bool down = juce::KeyPress::isKeyCurrentlyDown (juce::KeyPress::spaceKey);

    if (down == lastSpaceDown)
        return false;

    if (down)
        if (auto* item = tree->getSelectedItem (0))
            if (!item->mightContainSubItems())
                SamplePreview::toggle (previewUrl, juce::File (item->getUniqueName()));

    lastSpaceDown = down;
    return true;
}

juce::PopupMenu FactorySamplePage::makeMenuFor (juce::TreeViewItem* item)
{
    juce::PopupMenu menu;

    if (item != nullptr && !item->mightContainSubItems())
    {
        juce::Component::SafePointer<FactorySamplePage> self (this);
        const juce::File file (item->getUniqueName());
        menu.addItem (juce::translate ("Preview play"),
                      [self, file]
                      {
                          if (self != nullptr)
                              self->preview (file);
                      });
    }

    return menu;
}

void FactorySamplePage::mouseUp (const juce::MouseEvent& e)
{
    if (!e.mods.isRightButtonDown() || juce::roundToInt (e.getDistanceFromDragStart()) > 5)
        return;

    auto menu = makeMenuFor (tree->getItemAt (e.getEventRelativeTo (tree.get()).getPosition().y));

    if (menu.getNumItems() > 0)
        menu.showMenuAsync (juce::PopupMenu::Options());
}

void FactorySamplePage::dragOperationStarted (const juce::DragAndDropTarget::SourceDetails&)
{
    SamplePreview::pointAtSlotView (true);
}

void FactorySamplePage::dragOperationEnded (const juce::DragAndDropTarget::SourceDetails&)
{
    SamplePreview::pointAtSlotView (false);
}

void FactorySamplePage::resized()
{
    tree->setBounds (1, 1, juce::jmax (0, getWidth() - 2), juce::jmax (0, getHeight() - 2));
}

void FactorySamplePage::paint (juce::Graphics& g)
{
    g.fillAll (getLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId));
    g.setColour (findColour (juce::ListBox::outlineColourId));
    g.drawRect (getLocalBounds().toFloat(), 1.0f);
}
} // namespace vantor::browse
