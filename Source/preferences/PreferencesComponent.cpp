#include "preferences/PreferencesComponent.h"

#include "preferences/PreferencesSection.h"

namespace preferences
{
namespace
{
std::unique_ptr<juce::Drawable> makeCrossImage (const char* colour)
{
    const auto svg =
        juce::String (
            R"(<svg width="24" height="24" viewBox="0 0 24 24" fill="none" xmlns="http://www.w3.org/2000/svg">)"
            R"(<path d="M4 4L20.0001 20.0001" stroke="white" stroke-width="2"/>)"
            R"(<path d="M20 4L3.99988 20.0001" stroke="white" stroke-width="2"/></svg>)")
            .replace ("white", colour);
    if (auto xml = juce::parseXML (svg))
        return juce::Drawable::createFromSVG (*xml);
    return {};
}
} // namespace

//==============================================================================
PreferencesComponent::Content::~Content()
{
    // Sections go last to first, the reverse of their building order.
    while (!sections.isEmpty())
        sections.removeLast();
}

void PreferencesComponent::Content::addSections (juce::Array<juce::Component*>& newSections)
{
    for (auto* section : newSections)
    {
        sections.add (section);
        addAndMakeVisible (section);
    }
    newSections.clearQuick();

    int total = 0;
    for (auto* section : sections)
        total += section->getHeight() + 2 * sectionMargin;

    const auto viewportHeight = panelHeight - headerHeight;
    const auto width =
        total >= viewportHeight + 1 ? panelWidth - getLookAndFeel().getDefaultScrollbarWidth() : panelWidth;
    setSize (width, total);
    translateTexts();
}

void PreferencesComponent::Content::translateTexts()
{
    for (auto* section : sections)
        if (auto* preferencesSection = dynamic_cast<PreferencesSection*> (section))
            preferencesSection->translateTexts();
}

void PreferencesComponent::Content::resized()
{
    juce::FlexBox box;
    box.flexDirection = juce::FlexBox::Direction::column;
    box.flexWrap = juce::FlexBox::Wrap::noWrap;
    box.alignContent = juce::FlexBox::AlignContent::stretch;
    box.alignItems = juce::FlexBox::AlignItems::stretch;
    box.justifyContent = juce::FlexBox::JustifyContent::flexStart;

    for (auto* section : sections)
        box.items.add (juce::FlexItem (*section)
                           .withWidth ((float)section->getWidth())
                           .withHeight ((float)section->getHeight())
                           .withFlex (0.0f, 1.0f)
                           .withMargin ((float)sectionMargin));

    box.performLayout (getLocalBounds());
}

//==============================================================================
PreferencesComponent::PreferencesComponent()
{
    closeButton = std::make_unique<juce::DrawableButton> ("closeButton", juce::DrawableButton::ImageRaw);
    addAndMakeVisible (*closeButton);
    closeButton->setButtonText ({});
    closeButton->setColour (juce::DrawableButton::backgroundColourId, juce::Colour (0x00000000));
    closeButton->addListener (this);
    closeButton->setWantsKeyboardFocus (false);
    const auto normal = makeCrossImage ("white");
    const auto over = makeCrossImage ("#F3F3F3");
    const auto down = makeCrossImage ("#D5D5D5");
    closeButton->setImages (normal.get(), over.get(), down.get());

    viewport = std::make_unique<juce::Viewport> (juce::String());
    addAndMakeVisible (*viewport);
    viewport->setWantsKeyboardFocus (false);

    content = std::make_unique<Content>();
    viewport->setViewedComponent (content.get(), false);

    setVisible (false);
}

PreferencesComponent::~PreferencesComponent()
{
    if (auto* parent = parentRef.getComponent())
        parent->removeComponentListener (this);
    closeButton->removeListener (this);
    viewport->setViewedComponent (nullptr, false);
}

void PreferencesComponent::addSections (PreferencesSectionFactory& factory)
{
    auto sections = factory.createSections();
    content->addSections (sections);
}

juce::Rectangle<int> PreferencesComponent::getPanelBounds() const
{
    return {(getWidth() - panelWidth) / 2, (getHeight() - panelHeight) / 2, panelWidth, panelHeight};
}

void PreferencesComponent::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0x80000000));

    const auto panel = getPanelBounds().toFloat();
    g.setColour (findColour (juce::AlertWindow::backgroundColourId));
    g.fillRoundedRectangle (panel, 3.0f);
    g.setColour (findColour (juce::AlertWindow::outlineColourId));
    g.drawRoundedRectangle (panel, 3.0f, 1.0f);

    g.setColour (juce::Colours::white);
    g.setFont (juce::Font (20.0f, juce::Font::bold));
    g.drawText (TRANS ("Preferences"), getPanelBounds().withHeight (headerHeight),
                juce::Justification::centred, true);
}

void PreferencesComponent::resized()
{
    const auto panel = getPanelBounds();
    closeButton->setBounds (panel.getX() + 20, panel.getY() + 20, 24, 24);
    viewport->setBounds (panel.getX(), panel.getY() + headerHeight, panelWidth, panelHeight - headerHeight);
}

void PreferencesComponent::parentHierarchyChanged()
{
    auto* parent = getParentComponent();
    if (parent == parentRef.getComponent())
        return;

    if (auto* previous = parentRef.getComponent())
        previous->removeComponentListener (this);

    parentRef = parent;
    if (parent != nullptr)
        parent->addComponentListener (this);
}

void PreferencesComponent::componentMovedOrResized (juce::Component& component, bool, bool)
{
    // The overlay is the component's child, so it covers it exactly wherever the component sits.
    setBounds (component.getLocalBounds());
}

void PreferencesComponent::buttonClicked (juce::Button* button)
{
    if (button == closeButton.get())
        setVisible (false);
}

void PreferencesComponent::localeChanged()
{
    closeButton->setTooltip (TRANS ("Close"));
    repaint();
    if (auto* viewed = dynamic_cast<Content*> (viewport->getViewedComponent()))
        viewed->translateTexts();
}
} // namespace preferences
