#include "preferences/PreferencesComponent.h"
#include "MainPreferences.h"
#include "common/AppSettings.h"
#include "preferences/PreferencesSection.h"
#include "preferences/VantorPreferences.h"

#include "support/MessagePump.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

using glorvak::test::pumpMessagesUntil;
using glorvak::test::ScratchFolder;

namespace
{
juce::File translationsFolder()
{
    return juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile ("Translations");
}

/** A settings store of its own and the overlay filled by both factories, as the program builds it. */
struct PreferencesFixture : public ::testing::Test
{
    PreferencesFixture()
        : settings (scratch.child ("settings.json"), translationsFolder())
        , vantorPreferences (&settings)
        , mainPreferences (&settings)
    {
        overlay.addSections (vantorPreferences);
        overlay.addSections (mainPreferences);
        host.setSize (1280, 776);
        host.addChildComponent (overlay);
        overlay.setBounds (host.getLocalBounds());

        // The store announces its start-up values once; a user acts only after that.
        struct Probe : common::AppSettings::Listener
        {
            void settingChanged (common::AppSettings*, const juce::Identifier& key) override
            {
                heard = heard || key.toString() == "GuiLangId";
            }
            bool heard = false;
        } probe;
        settings.addListener (&probe);
        pumpMessagesUntil ([&] { return probe.heard; });
        settings.removeListener (&probe);
    }

    ~PreferencesFixture() override { host.removeChildComponent (&overlay); }

    template <typename ComponentType>
    std::vector<ComponentType*> controls()
    {
        std::vector<ComponentType*> found;
        std::function<void (juce::Component&)> walk = [&] (juce::Component& parent)
        {
            for (auto* child : parent.getChildren())
            {
                if (auto* c = dynamic_cast<ComponentType*> (child))
                    found.push_back (c);
                walk (*child);
            }
        };
        walk (overlay.getContent());
        return found;
    }

    juce::String savedValue (const char* key)
    {
        return juce::JSON::parse (scratch.child ("settings.json")).getProperty (key, {}).toString();
    }

    ScratchFolder scratch;
    common::AppSettings settings;
    vantor::VantorPreferences vantorPreferences;
    MainPreferences mainPreferences;
    preferences::PreferencesComponent overlay;
    juce::Component host;
};
} // namespace

TEST_F (PreferencesFixture, TheThreeSectionsFillThePanelExactlyWithoutAScrollBar)
{
    EXPECT_EQ (overlay.getContent().getWidth(), 500);
    EXPECT_EQ (overlay.getContent().getHeight(), 409);
    EXPECT_EQ (overlay.getViewport().getBounds(), juce::Rectangle<int> (390, 153 + 60, 500, 409));
    EXPECT_EQ (overlay.getCloseButton().getBounds(), juce::Rectangle<int> (410, 173, 24, 24));
    EXPECT_FALSE (overlay.getViewport().getVerticalScrollBar().isVisible());

    // Sections stand 20 px in and 40 px apart, in the order added.
    const auto sections = overlay.getContent().getChildren();
    ASSERT_EQ (sections.size(), 3);
    const int heights[] = {91, 56, 142};
    int y = 20;
    for (int i = 0; i < 3; ++i)
    {
        SCOPED_TRACE (i);
        EXPECT_EQ (sections[i]->getBounds(), juce::Rectangle<int> (20, y, 460, heights[i]));
        y += heights[i] + 40;
    }
    EXPECT_EQ (sections[0]->getName(), "List Item Operation Settings");
    EXPECT_EQ (sections[2]->getName(), "Application Settings");
}

TEST_F (PreferencesFixture, OneMoreControlMakesTheListScroll)
{
    struct OneMore : preferences::PreferencesSectionFactory
    {
        juce::Array<juce::Component*> createSections() override
        {
            auto* section = new preferences::PreferencesSection ("More");
            section->setSize (460, 0); // 40 px of margins alone pass the panel
            return {section};
        }
    } more;

    preferences::PreferencesComponent bigger;
    bigger.addSections (vantorPreferences);
    bigger.addSections (mainPreferences);
    bigger.addSections (more);
    EXPECT_EQ (bigger.getContent().getWidth(), 492);
    EXPECT_GE (bigger.getContent().getHeight(), 410);
}

TEST_F (PreferencesFixture, OnlyTheCloseButtonHidesTheOverlay)
{
    overlay.setVisible (true);
    // Keys do nothing (a click on the dimmed area lands on the overlay itself, which ignores it).
    EXPECT_FALSE (overlay.keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_TRUE (overlay.isVisible());

    overlay.getCloseButton().triggerClick();
    EXPECT_TRUE (pumpMessagesUntil ([&] { return !overlay.isVisible(); }));
}

TEST_F (PreferencesFixture, ControlsTakeNoKeyboardFocus)
{
    for (auto* button : controls<juce::ToggleButton>())
        EXPECT_FALSE (button->getWantsKeyboardFocus());
    for (auto* box : controls<juce::ComboBox>())
        EXPECT_FALSE (box->getWantsKeyboardFocus());
    EXPECT_EQ (controls<juce::ToggleButton>().size(), 4u);
    EXPECT_EQ (controls<juce::ComboBox>().size(), 1u);
}

TEST_F (PreferencesFixture, EachToggleRoundTripsThroughTheSettingsFile)
{
    const auto toggles = controls<juce::ToggleButton>();
    ASSERT_EQ (toggles.size(), 4u);
    const char* keys[] = {"WarnOverwriting", "WarnDeleting", "ShowTooltips", "AutoUpdate"};

    for (size_t i = 0; i < toggles.size(); ++i)
    {
        SCOPED_TRACE (keys[i]);
        ASSERT_TRUE (toggles[i]->getToggleState()); // every one is on when never set
        toggles[i]->setToggleState (false, juce::sendNotificationSync);
        EXPECT_TRUE (
            pumpMessagesUntil ([&] { return settings.getValue (keys[i], true) == juce::var (false); }));
        EXPECT_TRUE (pumpMessagesUntil (
            [&] { return savedValue (keys[i]) == "0" || savedValue (keys[i]) == "false"; }, 30000));

        // A change made elsewhere reaches the control.
        settings.setValue (keys[i], true);
        EXPECT_TRUE (pumpMessagesUntil ([&] { return toggles[i]->getToggleState(); }));
    }
}

TEST_F (PreferencesFixture, ChoosingJapaneseStoresItAndEveryTextFollows)
{
    const auto boxes = controls<juce::ComboBox>();
    ASSERT_EQ (boxes.size(), 1u);
    auto& languages = *boxes[0];
    ASSERT_EQ (languages.getNumItems(), 9);
    EXPECT_EQ (languages.getItemText (8), juce::CharPointer_UTF8 ("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e"));

    languages.setSelectedId (9, juce::sendNotificationSync);
    EXPECT_TRUE (pumpMessagesUntil ([&] { return settings.getGuiLangId() == "ja"; }));
    overlay.localeChanged();

    const auto toggles = controls<juce::ToggleButton>();
    EXPECT_EQ (toggles[0]->getButtonText(), TRANS ("Confirm when overwriting"));
    EXPECT_NE (toggles[0]->getButtonText(), "Confirm when overwriting");
    EXPECT_EQ (overlay.getCloseButton().getTooltip(), TRANS ("Close"));

    // Back to English through a change made elsewhere: the box follows.
    settings.setGuiLangIndex (0);
    EXPECT_TRUE (pumpMessagesUntil ([&] { return languages.getSelectedId() == 1; }));
    overlay.localeChanged();
    EXPECT_EQ (toggles[0]->getButtonText(), "Confirm when overwriting");
}

TEST_F (PreferencesFixture, AnIdOutsideTheTableChoosesEnglish)
{
    settings.setGuiLangIndex (8);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return (int)mainPreferences.language.getValue() == 9; }));
    mainPreferences.language = 42;
    EXPECT_TRUE (pumpMessagesUntil ([&] { return settings.getGuiLangId() == "en"; }));
}

TEST_F (PreferencesFixture, ANarrowMainViewCentresThePanelOverhanging)
{
    overlay.setBounds (0, 0, 400, 300);
    EXPECT_EQ (overlay.getPanelBounds(), juce::Rectangle<int> (-50, -84, 500, 469));
    host.setSize (900, 700);
    overlay.setVisible (true);
    // It follows its parent's size by itself.
    host.setSize (1000, 800);
    EXPECT_EQ (overlay.getBounds(), juce::Rectangle<int> (0, 0, 1000, 800));
}
