#include "vantor/browse/SamplePage.h"

#include "common/volumes/RemovableVolumeList.h"
#include "vantor/browse/FactorySamplePage.h"
#include "vantor/browse/UserSamplePage.h"
#include "vantor/ui/IconSvgs.h"

namespace vantor::browse
{
using vantor::ui::IconSvgs;

SamplePage::SamplePage (std::unique_ptr<common::RemovableVolumeList> volumes, const juce::File& factoryFolder)
{
    userPage = std::make_unique<UserSamplePage> (std::move (volumes));
    factoryPage = std::make_unique<FactorySamplePage> (factoryFolder);
    addAndMakeVisible (*userPage);
    addChildComponent (*factoryPage);

    userFactoryButton =
        std::make_unique<juce::DrawableButton> ("userFactoryButton", juce::DrawableButton::ImageRaw);
    addAndMakeVisible (*userFactoryButton);
    userFactoryButton->setButtonText ({});

    userImage = IconSvgs::createDrawable (IconSvgs::Id::userSelected);
    factoryImage = IconSvgs::createDrawable (IconSvgs::Id::factorySelected);
    userFactoryButton->setImages (userImage.get(), nullptr, nullptr, nullptr, factoryImage.get());
    userFactoryButton->setEdgeIndent (4);
    userFactoryButton->setColour (juce::DrawableButton::backgroundOnColourId,
                                  userFactoryButton->findColour (juce::DrawableButton::backgroundColourId));
    userFactoryButton->setClickingTogglesState (true);
    userFactoryButton->addListener (this);
    userFactoryButton->setWantsKeyboardFocus (false);

    titleImage = IconSvgs::createDrawable (IconSvgs::Id::sampleBrowseTitle);
}

SamplePage::~SamplePage()
{
    userFactoryButton->removeListener (this);
}

void SamplePage::updateTooltip()
{
    userFactoryButton->setTooltip (userFactoryButton->getToggleState()
                                       ? juce::translate ("Click to view files on your computer.")
                                       : juce::translate ("Click to view GLORVAK's built-in sound sources."));
}

void SamplePage::buttonClicked (juce::Button* button)
{
    if (button != userFactoryButton.get())
        return;

    const bool factory = userFactoryButton->getToggleState();
    juce::Component* shown = factory ? static_cast<juce::Component*> (factoryPage.get()) : userPage.get();
    juce::Component* hidden = factory ? static_cast<juce::Component*> (userPage.get()) : factoryPage.get();

    hidden->setVisible (false);
    removeChildComponent (hidden);

    addChildComponent (shown);
    shown->sendLookAndFeelChange();
    shown->setVisible (true);
    shown->toFront (true);

    repaint();
    updateTooltip();
}

void SamplePage::resized()
{
    const juce::Rectangle<int> pageBounds (0, 30, getWidth(), juce::jmax (0, getHeight() - 30));
    userPage->setBounds (pageBounds);
    factoryPage->setBounds (pageBounds);
    userFactoryButton->setBounds (132, 0, 136, 24);
}

void SamplePage::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xff000000));

    if (titleImage != nullptr)
        titleImage->drawAt (g, 0.0f, 5.0f, 1.0f);
}
} // namespace vantor::browse
