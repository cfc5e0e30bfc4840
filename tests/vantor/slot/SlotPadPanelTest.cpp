#include "vantor/slot/SlotPadPanel.h"

#include "common/AppSettingsSingleton.h"
#include "vantor/slot/SlotViewTestSupport.h"

#include <gtest/gtest.h>

namespace
{
using namespace glorvak::test;
using ::testing::_;
using ::testing::FloatEq;
using vantor::slot::SlotPadPanel;
using vantor::slot::SlotPadState;

class SlotPadPanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        common::AppSettingsSingleton::getInstance()->setWarnOverwriting (false);
        panel = std::make_unique<SlotPadPanel> (&pads, 1);
        panel->resized();
    }

    void TearDown() override
    {
        panel.reset();
        releaseViewSingletons();
    }

    ::testing::StrictMock<MockSlotPadDispatcher> pads;
    std::unique_ptr<SlotPadPanel> panel;
};

TEST_F (SlotPadPanelTest, GainShowsStoredValueAndFaderSnapsToWholeDecibels)
{
    const struct
    {
        float gain;
        const char* label;
        double fader;
    } cases[] = {
        {0.0f, "+0.00dB", 0.0},      {2.5f, "+2.50dB", 3.0}, {-17.5f, "-17.50dB", -17.0},
        {-18.0f, "-18.00dB", -18.0}, {9.0f, "+9.00dB", 9.0}, {-3.49f, "-3.49dB", -3.0},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.label);
        panel->padGainDbChanged (1, c.gain);
        EXPECT_EQ (panel->getGainLabel().getText(), c.label);
        EXPECT_DOUBLE_EQ (panel->getGainSlider().getValue(), c.fader);
    }

    panel->padGainDbChanged (2, 5.0f);
    EXPECT_EQ (panel->getGainLabel().getText(), "-3.49dB") << "another pad's gain is not ours";
}

TEST_F (SlotPadPanelTest, UserChangesOfTheFaderSendTheWholeDecibels)
{
    EXPECT_CALL (pads, changeGainDb (1, FloatEq (-6.0f)));
    panel->getGainSlider().setValue (-6.0, juce::sendNotificationSync);
    ::testing::Mock::VerifyAndClearExpectations (&pads);

    EXPECT_CALL (pads, changeGainDb (1, FloatEq (0.0f)));
    panel->getGainSlider().setValue (panel->getGainSlider().getDoubleClickReturnValue(),
                                     juce::sendNotificationSync);
}

TEST_F (SlotPadPanelTest, DropsAssignAtOnceAlsoWhileDisabled)
{
    const struct
    {
        const char* name;
        bool enabled;
    } cases[] = {{"empty SLOT (disabled pad)", false}, {"SLOT with audio, overwriting not asked", true}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        panel->setEnabled (c.enabled);
        const auto name = juce::String (juce::CharPointer_UTF8 ("/music/Kick, soft \xc3\xa9.wav"));
        EXPECT_CALL (pads, assignAudio (1, juce::File (name)));
        panel->getPadButton().filesDropped ({name, "/music/second.wav"}, 5, 5);
        ::testing::Mock::VerifyAndClearExpectations (&pads);
        EXPECT_FALSE (panel->getPadButton().isDragOver());
    }
}

TEST_F (SlotPadPanelTest, SampleTreeDropsNeedExactlyOneSelectedItem)
{
    struct Item : juce::TreeViewItem
    {
        explicit Item (juce::String nameToUse)
            : name (std::move (nameToUse))
        {
        }
        bool mightContainSubItems() override { return getNumSubItems() > 0; }
        juce::String getUniqueName() const override { return name; }
        juce::String name;
    };

    juce::TreeView tree;
    auto root = std::make_unique<Item> ("/samples");
    auto* first = new Item ("/samples/kick.wav");
    auto* second = new Item ("/samples/snare.wav");
    root->addSubItem (first);
    root->addSubItem (second);
    tree.setRootItem (root.get());
    root->setOpen (true);

    auto& button = panel->getPadButton();
    const juce::DragAndDropTarget::SourceDetails details (juce::var ("FactorySample"), &tree, {5, 5});
    EXPECT_TRUE (button.isInterestedInDragSource (details));
    EXPECT_FALSE (button.isInterestedInDragSource ({juce::var ("Slot_0,Kick"), &tree, {5, 5}}));

    first->setSelected (true, true);
    EXPECT_CALL (pads, assignAudio (1, juce::File ("/samples/kick.wav")));
    button.itemDragEnter (details);
    EXPECT_TRUE (button.isDragOver());
    button.itemDropped (details);
    EXPECT_FALSE (button.isDragOver());
    ::testing::Mock::VerifyAndClearExpectations (&pads);

    second->setSelected (true, false);
    button.itemDropped (details); // two selected: nothing

    tree.setRootItem (nullptr);
}

TEST_F (SlotPadPanelTest, KeysZXCVPlayPadsAToD)
{
    const char keys[] = {'z', 'x', 'c', 'v'};

    for (int i = 0; i < 4; ++i)
        EXPECT_EQ (SlotPadPanel::shortcutFor (i), juce::KeyPress (keys[i]));

    EXPECT_TRUE (panel->getPadButton().isRegisteredForShortcut (juce::KeyPress ('x')));
}

TEST_F (SlotPadPanelTest, PadStateIsKeptOnlyByItsOwnPad)
{
    SlotPadState state;
    state.audioFile = juce::File ("/data/b.wav");
    state.gainDb = 2.5f;
    panel->padChanged (0, state);
    EXPECT_TRUE (panel->getUrl().isEmpty());
    panel->padChanged (1, state);
    EXPECT_EQ (panel->getUrl(), juce::URL (state.audioFile));
    EXPECT_EQ (panel->getGainLabel().getText(), "+2.50dB");
    EXPECT_EQ (panel->getBounds().getWidth(), 87);
    EXPECT_EQ (panel->getPadButton().getBounds(), juce::Rectangle<int> (8, 11, 70, 70));
    EXPECT_EQ (panel->getGainSlider().getBounds(), juce::Rectangle<int> (0, 93, 87, 23));
}
} // namespace
