#include "vantor/service/ServiceFixture.h"

#include <functional>

namespace
{
using namespace glorvak::test;
using vantor::service::VantorService;

using SlotEditing = ServiceFixture;

//==============================================================================
// The BPM and range saved when the calculation mode began belong to the selected SLOT's content.
// Edits that leave that content where the SLOT views show it must not lose them, or leaving the
// mode would keep a range the user only tried out.
TEST_F (SlotEditing, EditsThatKeepTheSelectedContentKeepTheSavedBpmState)
{
    struct Case
    {
        const char* what;
        std::function<bool (VantorService&)> edit;
    };

    const Case cases[] = {
        {"gain of the selected SLOT", [] (auto& s) { return s.setGainDb (3.0f); }},
        {"loop of the selected SLOT", [] (auto& s) { return s.setLoop (true); }},
        {"renaming the selected SLOT", [] (auto& s) { return s.renameSlot (2, "renamed"); }},
        {"copying the selected SLOT", [] (auto& s) { return s.copySlot (2); }},
        {"clearing another SLOT", [] (auto& s) { return s.clearSlot (1); }},
        {"dragging the selected SLOT to another place", [] (auto& s) { return s.swapSlots (2, 3); }},
        {"renaming the BANK", [] (auto& s) { return s.renameBank (0, "renamed"); }},
        {"marking the BANK as favourite", [] (auto& s) { return s.setFavoriteBank (0); }},
        {"storing the BANK in the collection", [] (auto& s) { return s.saveBankToCollection (0, -1, {}); }},
        {"clearing another BANK", [] (auto& s) { return s.clearBank (2); }},
        {"pasting into another BANK", [] (auto& s) { return s.copyBank (0) && s.pasteBank (4, {}); }},
        // Last: the BANK stays where it was dragged.
        {"dragging the BANK to another place", [] (auto& s) { return s.swapBanks (0, 5); }},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        fillSlot (0, 1, 1.0, "other", 9000);
        fillSlot (2, 0, 1.5, "theirs", 10000);
        fillAndSelect (0, 2, 3.0, "mine", 12000);

        ASSERT_TRUE (service->setCalcBpmMode (true));
        ASSERT_TRUE (service->setBpm (6000)); // saves 60 BPM with the whole 3 s
        ASSERT_TRUE (service->setTimeRange (0.5, 1.5));
        ASSERT_TRUE (c.edit (*service));
        ASSERT_TRUE (service->setCalcBpmMode (false));

        const auto selected = slots->getSelectedSlot();
        auto* slot = service->getCurrentBankSlot (selected);
        ASSERT_NE (slot, nullptr);
        EXPECT_TRUE (slot->getName() == "mine" || slot->getName() == "renamed");
        EXPECT_EQ (slot->getBpm(), 6000);
        EXPECT_EQ (slot->getRange(), juce::Range<juce::int64> (0, 3 * rate));
        EXPECT_DOUBLE_EQ (detail->getState().bpm, 60.0);
        EXPECT_DOUBLE_EQ (detail->getState().endSeconds, 3.0);
        EXPECT_DOUBLE_EQ (pads->getPad (selected).endSeconds, 3.0);
        expectNoMessage();
    }
}
} // namespace
