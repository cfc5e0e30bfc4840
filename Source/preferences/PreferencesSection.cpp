#include "preferences/PreferencesSection.h"

namespace preferences
{
namespace
{
std::unique_ptr<juce::Label> makeBoldLabel (const juce::String& name, float fontHeight)
{
    auto label = std::make_unique<juce::Label> (name, name);
    label->setFont (juce::Font (fontHeight, juce::Font::bold));
    return label;
}
} // namespace

PreferencesSection::PreferencesSection (const juce::String& title)
    : juce::Component (title)
{
    auto label = makeBoldLabel (title, 20.0f);
    label->setSize (width, titleHeight);
    addItem (std::move (label), juce::StringArray (title), {});
}

PreferencesSection::~PreferencesSection()
{
    // Controls bound to a value stop listening to it before the value's owner goes.
    items.clear();
}

PreferencesSection& PreferencesSection::addToggleButton (const juce::String& text,
                                                         const juce::String& tooltip, juce::Value& value)
{
    auto button = std::make_unique<juce::ToggleButton>();
    button->getToggleStateValue().referTo (value);
    button->setButtonText (text);
    button->setSize (toggleWidth, toggleHeight);
    button->setWantsKeyboardFocus (false);
    addItem (std::move (button), juce::StringArray (text), tooltip);
    return *this;
}

PreferencesSection& PreferencesSection::addLabel (const juce::String& text, juce::Justification justification,
                                                  const juce::String& tooltip)
{
    auto label = std::make_unique<juce::Label> (text);
    label->setFont (juce::Font (14.0f, juce::Font::bold));
    label->setJustificationType (justification);
    label->setSize (width, labelHeight);
    addItem (std::move (label), juce::StringArray (text), tooltip);
    return *this;
}

PreferencesSection& PreferencesSection::addComboBox (const juce::StringArray& texts,
                                                     const juce::String& tooltip, juce::Value& value)
{
    auto box = std::make_unique<juce::ComboBox> (juce::String());
    box->addItemList (texts, 1);
    box->getSelectedIdAsValue().referTo (value);
    box->setSize (width, comboBoxHeight);
    box->setWantsKeyboardFocus (false);
    addItem (std::move (box), texts, tooltip);
    return *this;
}

void PreferencesSection::addItem (std::unique_ptr<juce::Component> component, juce::StringArray texts,
                                  const juce::String& tooltip)
{
    addAndMakeVisible (*component);
    const auto width = component->getWidth();
    const auto height = component->getHeight();
    items.push_back ({std::move (component), std::move (texts), tooltip, width, height});
    updateSize();
}

void PreferencesSection::updateSize()
{
    int widest = 0;
    int height = 0;
    for (const auto& item : items)
    {
        widest = juce::jmax (widest, item.width);
        height += item.height;
    }
    height += spacing * juce::jmax (0, (int)items.size() - 1);
    setSize (widest, height);
}

void PreferencesSection::translateTexts()
{
    for (auto& item : items)
    {
        auto textAt = [&item] (int index)
        { return index < item.texts.size() ? item.texts[index] : juce::String(); };

        if (auto* label = dynamic_cast<juce::Label*> (item.component.get()))
            label->setText (TRANS (textAt (0)), juce::dontSendNotification);
        else if (auto* button = dynamic_cast<juce::Button*> (item.component.get()))
            button->setButtonText (TRANS (textAt (0)));
        else if (auto* box = dynamic_cast<juce::ComboBox*> (item.component.get()))
            for (int id = 1; id <= box->getNumItems(); ++id)
                box->changeItemText (id, TRANS (textAt (id - 1)));

        if (auto* client = dynamic_cast<juce::SettableTooltipClient*> (item.component.get()))
            client->setTooltip (TRANS (item.tooltip));
    }
}

void PreferencesSection::resized()
{
    juce::FlexBox box;
    box.flexDirection = juce::FlexBox::Direction::column;
    box.flexWrap = juce::FlexBox::Wrap::noWrap;
    box.alignContent = juce::FlexBox::AlignContent::stretch;
    box.alignItems = juce::FlexBox::AlignItems::center;
    box.justifyContent = juce::FlexBox::JustifyContent::flexStart;

    // The controls stand 15 px apart; the last one needs no space below it.
    for (size_t i = 0; i < items.size(); ++i)
        box.items.add (juce::FlexItem (*items[i].component)
                           .withWidth ((float)items[i].width)
                           .withHeight ((float)items[i].height)
                           .withFlex (0.0f, 1.0f)
                           .withMargin (juce::FlexItem::Margin (
                               0.0f, 0.0f, i + 1 < items.size() ? (float)spacing : 0.0f, 0.0f)));

    box.performLayout (getLocalBounds());
}
} // namespace preferences
