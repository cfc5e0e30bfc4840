#pragma once

namespace vantor::dataset
{
/** How much playback one BANK may hold when it is stored in the collection or exported to the
    unit. The service refuses what exceeds it and the views paint it red, by this one rule.
    Any thread. */
struct BankBudget
{
    static constexpr double maxSeconds = 16.0;

    /** True when a BANK's summed seconds pass maxSeconds by at least a frame; exactly 16 s of
        frames passes even when its four SLOTs' seconds add up a hair above it. */
    static constexpr bool isExceededBy (double seconds) noexcept
    {
        // The SLOT lengths are rounded apart, so their sum may land a few units in the last place
        // off; a frame even at 384 kHz is more than a thousand times this slack.
        constexpr double sumSlack = 1.0e-9;
        return seconds > maxSeconds + sumSlack;
    }
};
} // namespace vantor::dataset
