#include "vantor/dataset/BankBudget.h"
#include "vantor/dataset/FrameTime.h"

#include <gtest/gtest.h>

namespace
{
using vantor::dataset::BankBudget;
using vantor::dataset::FrameTime;

struct BudgetCase
{
    const char* what;
    std::vector<juce::int64> slotFrames;
    double sampleRate;
    bool exceeds;
};

// SLOT lengths are converted one by one and summed, as the BANK length is.
TEST (BankBudget, SixteenSecondsOfFramesFitAndOneFrameMoreDoesNot)
{
    const BudgetCase cases[] = {
        {"nothing", {}, 96000.0, false},
        {"exactly 16 s in one SLOT", {1536000}, 96000.0, false},
        {"16 s in four SLOTs whose seconds sum a hair above 16",
         {151545, 461485, 461485, 461485},
         96000.0,
         false},
        {"one frame over at 96 kHz", {1536001}, 96000.0, true},
        {"one frame over at 384 kHz", {6144001}, 384000.0, true},
        {"17.25 s", {1656000}, 96000.0, true},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what);
        double seconds = 0.0;
        for (auto frames : c.slotFrames)
            seconds += FrameTime::toSeconds (frames, c.sampleRate);

        EXPECT_EQ (BankBudget::isExceededBy (seconds), c.exceeds) << juce::String (seconds, 17);
    }
}
} // namespace
