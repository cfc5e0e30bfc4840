#include "vantor/ui/ColumnCustomComponent.h"

namespace vantor::ui
{
ColumnCustomComponent::Content::Content (ColumnCustomComponent& ownerToUse)
    : owner (ownerToUse)
{
}

void ColumnCustomComponent::Content::mouseDown (const juce::MouseEvent& e)
{
    if (auto* rowComponent = owner.parent.get())
        owner.mouseDown (e.getEventRelativeTo (rowComponent));
}

void ColumnCustomComponent::Content::mouseUp (const juce::MouseEvent& e)
{
    if (auto* rowComponent = owner.parent.get())
        owner.mouseUp (e.getEventRelativeTo (rowComponent));
}

void ColumnCustomComponent::Content::paint (juce::Graphics& g)
{
    owner.paintContent (g, getWidth(), getHeight());
}

//==============================================================================
ColumnCustomComponent::ColumnCustomComponent (juce::Component* tableToUse)
    : table (tableToUse)
    , content (*this)
{
    addAndMakeVisible (content);
    setInterceptsMouseClicks (false, true);
}

ColumnCustomComponent::~ColumnCustomComponent()
{
    stopListeningToParent();
}

void ColumnCustomComponent::stopListeningToParent()
{
    if (auto* old = parent.get())
        old->removeMouseListener (this);

    parent = nullptr;
}

void ColumnCustomComponent::parentHierarchyChanged()
{
    auto* newParent = getParentComponent();

    if (newParent == parent.get())
        return;

    stopListeningToParent();

    if (newParent != nullptr)
    {
        newParent->addMouseListener (this, false);
        parent = newParent;
    }
}

void ColumnCustomComponent::mouseDown (const juce::MouseEvent& e)
{
    if (!getBounds().contains (e.getPosition()))
        return;

    if (auto* tableListBox = dynamic_cast<juce::TableListBox*> (table.get()))
    {
        tableListBox->selectRowsBasedOnModifierKeys (row, e.mods, false);

        if (e.mods.isRightButtonDown())
            tableListBox->mouseDown (e);
    }
}

void ColumnCustomComponent::mouseUp (const juce::MouseEvent& e)
{
    if (!getBounds().contains (e.getPosition()))
        return;

    if (auto* tableListBox = dynamic_cast<juce::TableListBox*> (table.get()))
        if (e.mods.isRightButtonDown())
            tableListBox->mouseUp (e);
}

void ColumnCustomComponent::setRow (int newRow)
{
    row = newRow;
}

void ColumnCustomComponent::paintContent (juce::Graphics&, int, int) {}

void ColumnCustomComponent::setTooltip (const juce::String& text)
{
    content.setTooltip (text);
}
} // namespace vantor::ui
