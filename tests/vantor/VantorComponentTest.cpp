#include "vantor/VantorComponent.h"
#include "common/LocaleNotifier.h"
#include "vantor/VantorCommandTarget.h"

#include "support/MessagePump.h"

#include <gtest/gtest.h>

using glorvak::test::pumpMessagesUntil;

TEST (VantorComponent, LaysOutTheGridAtTheStartUpSize)
{
    vantor::VantorComponent component;
    component.setBounds (0, 0, 1280, 776);

    // Three columns of 413.33 px with 10 px gaps; the browser across the second row.
    const auto bank = component.getBankView().getBounds();
    const auto slot = component.getSlotView().getBounds();
    const auto detail = component.getSlotDetailView().getBounds();
    const auto browse = component.getBrowseView().getBounds();
    EXPECT_EQ (bank.getPosition(), juce::Point<int> (10, 10));
    EXPECT_EQ (bank.getHeight(), 350);
    EXPECT_NEAR (bank.getWidth(), 413, 1);
    EXPECT_NEAR (slot.getX(), 433, 1);
    EXPECT_NEAR (detail.getX(), 857, 1);
    EXPECT_EQ (detail.getRight(), 1270);
    EXPECT_EQ (browse, juce::Rectangle<int> (10, 390, 1260, 352));

    EXPECT_EQ (component.getMessageLayer().getBounds(), juce::Rectangle<int> (240, 749, 800, 20));
    EXPECT_TRUE (component.getMessageLayer().isAlwaysOnTop());

    // Each arrow fills the 10 px gap, 26 px high and centred on the view to its left.
    const auto arrow = component.getBankToSlotArrow();
    EXPECT_NEAR (arrow.getX(), (float)bank.getRight(), 0.01f);
    EXPECT_NEAR (arrow.getWidth(), (float)(slot.getX() - bank.getRight()), 0.01f);
    EXPECT_FLOAT_EQ (arrow.getY(), 10.0f + (350 - 26) / 2);
    EXPECT_FLOAT_EQ (arrow.getHeight(), 26.0f);
    EXPECT_NEAR (component.getSlotToDetailArrow().getRight(), (float)detail.getX(), 0.01f);
    EXPECT_TRUE (component.hasLogo());
}

TEST (VantorComponent, PlacesTheMessageLayerInSmallSizes)
{
    const struct
    {
        int width, height;
        juce::Rectangle<int> layer;
    } cases[] = {
        {600, 500, {-100, 473, 800, 20}}, // narrower than the layer: overhangs both edges
        {1280, 20, {240, 0, 800, 20}},    // lower than the strip
        {1280, 34, {240, 7, 800, 20}},
    };
    vantor::VantorComponent component;
    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.width) + "x" + juce::String (c.height));
        component.setSize (c.width, c.height);
        EXPECT_EQ (component.getMessageLayer().getBounds(), c.layer);
    }
}

TEST (VantorComponent, EveryViewHoldsItsWholeStateFromTheStart)
{
    vantor::VantorComponent component;

    // Each pad panel hears about all four pads.
    for (auto* pad : component.getSlotView().pads)
        EXPECT_EQ (pad->padChanges, 4);
    EXPECT_EQ (component.getBankView().notifications, 1);
    EXPECT_EQ (component.getBankView().clipboardNotifications, 1);
    EXPECT_EQ (component.getSlotView().clipboardNotifications, 1);
    EXPECT_GE (component.getSlotView().notifications, 1);
    EXPECT_EQ (component.getSlotDetailView().notifications, 1);
    EXPECT_EQ (component.getBrowseView().notifications, 1);

    // And stays registered: a change through the service reaches it.
    component.getService().selectBank (3);
    EXPECT_EQ (component.getBankView().current, 3);
}

TEST (VantorComponent, EveryViewIsToldOfEachLanguageChangeUntilTheNotifierGoes)
{
    struct Marker : common::LocaleObserver
    {
        void localeChanged() override { ++count; }
        int count = 0;
    } marker;

    vantor::VantorComponent component;
    common::AppSettings settings (
        juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("locale-settings.json"),
        juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile ("Translations"));
    auto viewCounts = [&]
    {
        return juce::Array<int> (
            {component.getBrowseView().localeChanges, component.getBankView().localeChanges,
             component.getSlotView().localeChanges, component.getSlotDetailView().localeChanges});
    };
    {
        common::LocaleNotifier notifier (settings);
        component.addLocaleObservers (notifier);
        notifier.addObserver (&marker); // last, so it is told after every view
        settings.setGuiLangIndex (8);
        ASSERT_TRUE (
            pumpMessagesUntil ([&] { return settings.getGuiLangId() == "ja" && marker.count >= 1; }));
        const auto told = marker.count;
        EXPECT_EQ (viewCounts(), juce::Array<int> ({told, told, told, told}));
        EXPECT_EQ (component.getMessageManager().getQueuedEntries().size(), 0u);
    }
    // A listener of the store's own hears the next announcement; the views no longer do.
    struct Heard : common::AppSettings::Listener
    {
        void settingChanged (common::AppSettings*, const juce::Identifier& key) override
        {
            if (key.toString() == "GuiLangId")
                ++count;
        }
        int count = 0;
    } heard;
    settings.addListener (&heard);
    const auto before = viewCounts();
    settings.setGuiLangIndex (0);
    EXPECT_TRUE (pumpMessagesUntil ([&] { return heard.count >= 1; }));
    EXPECT_EQ (viewCounts(), before);
    settings.removeListener (&heard);
}

TEST (VantorComponent, ItsFileTargetServesCommandsOneToFourAlwaysEnabled)
{
    vantor::VantorComponent component;
    juce::ApplicationCommandManager manager;
    auto target = component.createCommandTarget (manager);

    const char* names[] = {"Export", "Import", "Backup", "Restore"};
    for (int id = 1; id <= 4; ++id)
    {
        SCOPED_TRACE (id);
        const auto* info = manager.getCommandForID (id);
        ASSERT_NE (info, nullptr);
        EXPECT_EQ (info->shortName, TRANS (names[id - 1]));
        EXPECT_EQ (info->categoryName, "File");
        EXPECT_EQ (info->flags & juce::ApplicationCommandInfo::isDisabled, 0);
        EXPECT_TRUE (info->defaultKeypresses.isEmpty());
    }
    EXPECT_EQ (manager.getCommandForID (5), nullptr);
    EXPECT_EQ (target->getNextCommandTarget(), nullptr);
}
