#pragma once

namespace vantor::slot_detail
{
/** What the SLOT detail editor may ask for. Every operation acts on the SLOT selected in the SLOT
    list; BPM and beats are hundredths. The outcome comes back only through SlotDetailObserver. */
class ISlotDetailCommandDispathcer
{
public:
    virtual ~ISlotDetailCommandDispathcer() = default;

    virtual void changeBpm (const int& bpmX100) = 0;
    /** Zero or less clears the shown beats without a message. */
    virtual void changeBeats (const int& beatsX100) = 0;
    /** Halving and doubling insist on beats: a result of zero tells the user to enter some. */
    virtual void halveBeats (const int& beatsX100) = 0;
    virtual void doubleBeats (const int& beatsX100) = 0;
    virtual void changeStartTime (const double& seconds) = 0;
    virtual void changeEndTime (const double& seconds) = 0;
    virtual void changeTimeRange (const double& startSeconds, const double& endSeconds) = 0;
    virtual void changeGainDb (const float& gainDb) = 0;
    virtual void changeLoopMode (const bool& loop) = 0;
    virtual void changeCalcBpmMode (const bool& on) = 0;
    virtual void calcBpm (const int& beatsX100) = 0;
};
} // namespace vantor::slot_detail
