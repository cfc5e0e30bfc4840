#include "vantor/VantorComponent.h"

#include "common/AppInfo.h"
#include "common/LocaleNotifier.h"
#include "vantor/VantorCommandTarget.h"
#include "vantor/browse/BankCollectionPage.h"
#include "vantor/dataset/ModelJsonKeys.h"
#include "vantor/dataset/SampleFiles.h"
#include "vantor/ui/LookAndFeel.h"

#include "support/MessagePump.h"
#include "support/WholeSetFixtures.h"

#include <gtest/gtest.h>

using namespace glorvak::test;

namespace
{
/** The editing side over a data folder whose BANK 1 has a sample on every pad and whose
    collection holds three stored BANKs, as the program builds it at start-up. */
class VantorComponentOnData : public ::testing::Test
{
protected:
    VantorComponentOnData()
    {
        juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
        dataFolder.deleteRecursively();
        writeModelFolder (dataFolder,
                          {{0, 0, "pad-a.wav", 9600, 0, -1, "kick"},
                           {0, 1, "pad-b.wav", 4800, 0, -1, "snare"},
                           {0, 2, "pad-c.wav", 2400, 0, -1, "hat"},
                           {0, 3, "pad-d.wav", 1200, 0, -1, "clap"},
                           {3, 0, "other.wav", 960, 0, -1, "bass"}},
                          2);
        writeCollectionFolder (dataFolder, 3, {});
        component = std::make_unique<vantor::VantorComponent>();
    }

    ~VantorComponentOnData() override
    {
        component.reset();
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
        dataFolder.deleteRecursively();
    }

    juce::File sampleFile (const juce::String& name) const
    {
        using namespace vantor::dataset;
        return getBareChildFile (getSamplesFolder (dataFolder.getChildFile (modelkeys::folderName)), name);
    }

    juce::StringArray slotRowNames()
    {
        juce::StringArray names;
        for (int row = 0; row < vantor::slot::SlotView::rowCount; ++row)
            names.add (component->getSlotView().getRowName (row));
        return names;
    }

    vantor::LookAndFeel lookAndFeel;
    const juce::File dataFolder = common::AppInfo::getUserDataFolder();
    std::unique_ptr<vantor::VantorComponent> component;
};

/** A component's picture, children included, as the screen would show it. */
juce::Image pictureOf (juce::Component& component)
{
    return component.createComponentSnapshot (component.getLocalBounds(), true, 1.0f);
}
} // namespace

TEST_F (VantorComponentOnData, LaysTheViewsOutOnTheGridAtTheStartUpSize)
{
    component->setBounds (0, 0, 1280, 776);

    // Three columns of 413.33 px with 10 px gaps; the browser across the second row.
    const auto bank = component->getBankView().getBounds();
    const auto slot = component->getSlotView().getBounds();
    const auto detail = component->getSlotDetailView().getBounds();
    const auto browse = component->getBrowseView().getBounds();
    EXPECT_EQ (bank.getPosition(), juce::Point<int> (10, 10));
    EXPECT_EQ (bank.getHeight(), 350);
    EXPECT_NEAR (bank.getWidth(), 413, 1);
    EXPECT_NEAR (slot.getX(), 433, 1);
    EXPECT_EQ (slot.getY(), 10);
    EXPECT_EQ (slot.getHeight(), 350);
    EXPECT_NEAR (detail.getX(), 857, 1);
    EXPECT_EQ (detail.getRight(), 1270);
    EXPECT_EQ (detail.getHeight(), 350);
    EXPECT_EQ (browse, juce::Rectangle<int> (10, 390, 1260, 352));

    EXPECT_EQ (component->getMessageLayer().getBounds(), juce::Rectangle<int> (240, 749, 800, 20));
    EXPECT_TRUE (component->getMessageLayer().isAlwaysOnTop());
    EXPECT_EQ (component->getChildren().getLast(), &component->getMessageLayer());

    // Each arrow fills the 10 px gap, 26 px high and centred on the view to its left.
    const auto arrow = component->getBankToSlotArrow();
    EXPECT_NEAR (arrow.getX(), (float)bank.getRight(), 0.01f);
    EXPECT_NEAR (arrow.getWidth(), (float)(slot.getX() - bank.getRight()), 0.01f);
    EXPECT_FLOAT_EQ (arrow.getY(), 10.0f + (350 - 26) / 2);
    EXPECT_FLOAT_EQ (arrow.getHeight(), 26.0f);
    EXPECT_NEAR (component->getSlotToDetailArrow().getRight(), (float)detail.getX(), 0.01f);
    EXPECT_TRUE (component->hasLogo());

    // Every part of each view lies inside it at this size: nothing is cut off or spills over.
    for (auto* view :
         {(juce::Component*)&component->getBankView(), (juce::Component*)&component->getSlotView(),
          (juce::Component*)&component->getSlotDetailView(), (juce::Component*)&component->getBrowseView()})
        for (auto* child : view->getChildren())
            if (child->isVisible())
            {
                SCOPED_TRACE (view->getName() + " / " + child->getName() + " " +
                              child->getBounds().toString());
                EXPECT_TRUE (view->getLocalBounds().contains (child->getBounds()));
            }
    for (int pad = 0; pad < vantor::slot::SlotView::rowCount; ++pad)
    {
        auto* panel = component->getSlotView().getPadPanel (pad);
        ASSERT_NE (panel, nullptr);
        EXPECT_TRUE (panel->isVisible());
        EXPECT_EQ (panel->getWidth(), vantor::slot::SlotPadPanel::panelWidth);
    }
}

TEST_F (VantorComponentOnData, PaintsTheBackgroundTheArrowsAndTheBlackBand)
{
    component->setBounds (0, 0, 1280, 776);
    const auto picture = pictureOf (*component);
    const auto arrow = component->getBankToSlotArrow().toNearestInt();

    const struct
    {
        const char* where;
        int x, y;
        juce::Colour colour;
    } cases[] = {
        {"left margin above the band", 4, 200, juce::Colour (0xff424242)},
        {"last line above the band", 600, 379, juce::Colour (0xff424242)},
        {"first line of the band, 10 px above the browser", 600, 380, juce::Colours::black},
        {"left margin beside the browser", 4, 500, juce::Colours::black},
        {"message strip", 100, 760, juce::Colours::black},
        {"arrow near its base", arrow.getX() + 1, arrow.getCentreY(), juce::Colour (0xff232323)},
        {"beside the arrow's tip", arrow.getX() + 2, arrow.getY() - 3, juce::Colour (0xff424242)},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.where);
        EXPECT_EQ (picture.getPixelAt (c.x, c.y).getARGB(), c.colour.getARGB());
    }

    // The logo is drawn in its 90 x 11 box ending 20 px from the right, 12 px above the bottom.
    int logoPixels = 0;
    for (int y = 753; y < 764; ++y)
        for (int x = 1170; x < 1260; ++x)
            logoPixels += picture.getPixelAt (x, y).getBrightness() > 0.4f ? 1 : 0;
    EXPECT_GT (logoPixels, 20);
}

TEST_F (VantorComponentOnData, PlacesTheMessageLayerInSmallSizes)
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
    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.width) + "x" + juce::String (c.height));
        component->setSize (c.width, c.height);
        EXPECT_EQ (component->getMessageLayer().getBounds(), c.layer);
    }
}

TEST_F (VantorComponentOnData, EveryViewShowsTheWholeDataFromTheStart)
{
    auto& bankView = component->getBankView();
    EXPECT_EQ (bankView.getBankName (0), "BANK 1");
    EXPECT_EQ (bankView.getBankName (14), "BANK 15");
    EXPECT_TRUE (bankView.isFavorite (2));
    EXPECT_NEAR (bankView.getBankSeconds (0), (9600 + 4800 + 2400 + 1200) / 96000.0, 1.0e-3);
    EXPECT_EQ (bankView.getBankSeconds (1), 0.0);
    EXPECT_EQ (bankView.getTable().getSelectedRow(), 0);

    EXPECT_EQ (slotRowNames(), juce::StringArray ("kick", "snare", "hat", "clap"));

    // Each pad panel hears all four pads and keeps its own one's sample.
    const char* padFiles[] = {"pad-a.wav", "pad-b.wav", "pad-c.wav", "pad-d.wav"};
    for (int pad = 0; pad < 4; ++pad)
    {
        SCOPED_TRACE (pad);
        auto* panel = component->getSlotView().getPadPanel (pad);
        ASSERT_NE (panel, nullptr);
        EXPECT_EQ (panel->getUrl().getLocalFile(), sampleFile (padFiles[pad]));
    }

    // The editor shows the selected SLOT, A, from the start.
    EXPECT_EQ (component->getSlotView().getTable().getSelectedRow(), 0);
    EXPECT_EQ (component->getSlotDetailView().getUrl().getLocalFile(), sampleFile ("pad-a.wav"));

    auto* collection = component->getBrowseView().getBankCollectionPage();
    ASSERT_NE (collection, nullptr);
    EXPECT_EQ (collection->getCount(), 3);

    // They stay registered: a change through the service reaches the BANK and SLOT views.
    component->getService().selectBank (3);
    EXPECT_EQ (bankView.getTable().getSelectedRow(), 3);
    EXPECT_EQ (slotRowNames()[0], "bass");
    EXPECT_EQ (component->getSlotView().getPadPanel (0)->getUrl().getLocalFile(), sampleFile ("other.wav"));
    EXPECT_EQ (component->getSlotView().getPadPanel (1)->getUrl(), juce::URL());
}

TEST_F (VantorComponentOnData, TheSelectedSlotReachesTheTableAndTheDetailEditor)
{
    auto& service = component->getService();
    ASSERT_TRUE (service.selectSlot (2));
    EXPECT_EQ (component->getSlotView().getTable().getSelectedRow(), 2);
    EXPECT_EQ (component->getSlotDetailView().getUrl().getLocalFile(), sampleFile ("pad-c.wav"));

    ASSERT_TRUE (service.selectSlot (0));
    EXPECT_EQ (component->getSlotDetailView().getUrl().getLocalFile(), sampleFile ("pad-a.wav"));
}

TEST_F (VantorComponentOnData, AClipboardChangeReachesTheBankAndSlotViews)
{
    auto& service = component->getService();
    EXPECT_EQ (component->getBankView().getClipboard().kind, vantor::service::ClipboardInfo::empty);

    ASSERT_TRUE (service.copySlot (1));
    EXPECT_EQ (component->getBankView().getClipboard().kind, vantor::service::ClipboardInfo::slot);

    // The SLOT view pastes only what it was told is on the clipboard: into an empty row of
    // another BANK, with no question.
    service.selectBank (3);
    component->getSlotView().handleKey (1, juce::KeyPress ('v', juce::ModifierKeys::ctrlModifier, 0));
    EXPECT_EQ (component->getSlotView().getRowName (1), "snare");

    ASSERT_TRUE (service.copyBank (0));
    const auto clipboard = component->getBankView().getClipboard();
    EXPECT_EQ (clipboard.kind, vantor::service::ClipboardInfo::bank);
    EXPECT_EQ (clipboard.name, "BANK 1");

    // A BANK on the clipboard is nothing the SLOT view pastes.
    component->getSlotView().handleKey (2, juce::KeyPress ('v', juce::ModifierKeys::ctrlModifier, 0));
    EXPECT_EQ (component->getSlotView().getRowName (2), juce::String());
}

TEST_F (VantorComponentOnData, EveryViewIsRetranslatedAtEachLanguageChangeUntilTheNotifierGoes)
{
    common::AppSettings settings (
        juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("locale-settings.json"),
        juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile ("Translations"));
    struct Marker : common::LocaleObserver
    {
        void localeChanged() override { ++count; }
        int count = 0;
    } marker;

    // Texts each view sets in its language handler.
    auto texts = [this]
    {
        juce::StringArray all;
        all.add (component->getBrowseView().getOpenCloseButton().getTooltip());
        all.add (component->getBankView().getExportButton().getTooltip());
        all.add (component->getSlotView().getPadPanel (1)->getPadButton().getTooltip());
        all.add (component->getSlotDetailView().getCalcBpmButton().getButtonText());
        all.add (component->getSlotDetailView().getZoomInButton().getTooltip());
        return all;
    };
    auto expected = []
    {
        juce::StringArray all;
        all.add (TRANS ("Show BANK COLLECTION"));
        all.add (TRANS ("Write BANK information and sample audio sources for each SLOT to storage media."));
        all.add (TRANS ("Play SLOT {slot} sample audio").replace ("{slot}", "B"));
        all.add (TRANS ("Calculate"));
        all.add (TRANS ("Zoom in"));
        return all;
    };
    {
        common::LocaleNotifier notifier (settings);
        component->addLocaleObservers (notifier);
        notifier.addObserver (&marker); // last, so it is told after every view
        settings.setGuiLangIndex (8);
        ASSERT_TRUE (
            pumpMessagesUntil ([&] { return settings.getGuiLangId() == "ja" && marker.count >= 1; }));
        const auto japanese = expected();
        EXPECT_NE (japanese[4], "Zoom in");
        EXPECT_EQ (texts(), japanese);
        EXPECT_EQ (component->getMessageManager().getQueuedEntries().size(), 0u);

        // The resolver is retranslated too: a message posted now reads in Japanese.
        component->getService().sendErrorMessage (2, vantor::service::ISendErrorMessage::notice);
        ASSERT_TRUE (
            pumpMessagesUntil ([&] { return !component->getMessageManager().getQueuedEntries().empty(); }));
        EXPECT_EQ (component->getMessageManager().getQueuedEntries().back().text,
                   TRANS ("The required file is missing."));
    }

    // The views left the notifier with it: English comes no further than the store's own listener.
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
    const auto before = texts();
    settings.setGuiLangIndex (0);
    EXPECT_TRUE (pumpMessagesUntil ([&] { return heard.count >= 1; }));
    EXPECT_EQ (texts(), before);
    settings.removeListener (&heard);
}

TEST_F (VantorComponentOnData, ItsFileTargetServesCommandsOneToFourAlwaysEnabled)
{
    juce::ApplicationCommandManager manager;
    auto target = component->createCommandTarget (manager);

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
