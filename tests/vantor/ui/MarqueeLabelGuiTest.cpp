#include "vantor/ui/MarqueeLabel.h"

#include "support/MessagePump.h"

#include <gmock/gmock.h>

using glorvak::test::pumpMessagesUntil;

namespace
{
// In a window the display's vertical blank drives the passes by itself (the unit tests inject a
// clock instead): after the pause the text moves on its own, and closing the window's label
// stops it.
TEST (MarqueeLabelGui, ScrollsOnTheDisplaysVerticalBlank)
{
    vantor::ui::MarqueeLabel label;
    label.setBounds (100, 100, 80, 24);
    label.setText ("A long name that does not fit into the cell", juce::dontSendNotification);
    label.addToDesktop (juce::ComponentPeer::windowIsTemporary);
    label.setVisible (true);
    ASSERT_TRUE (pumpMessagesUntil ([&] { return label.isShowing(); }));

    label.restartMarquee();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return label.getOverflow() > 0; }));
    ASSERT_TRUE (pumpMessagesUntil ([&] { return label.getOffset() > 10; }));

    const int seen = label.getOffset();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return label.getOffset() > seen; }));

    label.stopMarquee();
    EXPECT_EQ (label.getOffset(), 0);
    EXPECT_TRUE (label.getAnimatorUpdater().isEmpty());
    label.removeFromDesktop();
}
} // namespace
