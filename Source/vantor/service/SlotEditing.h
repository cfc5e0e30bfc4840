#pragma once

#include "vantor/service/ISendErrorMessage.h"
#include "vantor/service/ViewModelLinks.h"

#include "vantor/dataset/WyxDataSet.h"

namespace vantor::service
{
/** Editing the SLOTs of the current BANK: their audio, range, gain, loop, BPM and beats, with the
    BPM-calculation mode.

    In that mode the user tries ranges and beats to find a BPM; the SLOT's range follows, but
    what leaving the mode keeps is the BPM and range of the last BPM set in it, or else what the
    SLOT had when the mode began. That saved state belongs to the selected SLOT's content: it is
    dropped whenever the SLOT views show other content (the links tell), and never restored onto
    another SLOT.

    The operations without a SLOT index work on the selected SLOT; each returns true when it did
    its work, as the service's operations do. The service owns this class and forwards to it; the
    links and the message target are the service's own members, declared before this one.
    Threads: message thread only. */
class SlotEditing
{
public:
    /** dataSet tells where the factory samples are, for the usage records; it may be null. */
    SlotEditing (ViewModelLinks& links, ISendErrorMessage& messages, const dataset::WyxDataSet* dataSet);
    ~SlotEditing();

    /** The lengths of audio a SLOT accepts. */
    static constexpr double minAudioSeconds = 0.01;
    static constexpr double maxAudioSeconds = 1800.0;

    bool assignAudio (int slotIndex, const juce::File& file);

    bool setSlotBpm (int slotIndex, int bpmX100);
    bool setBpm (int bpmX100);
    /** Outside the calculation mode the range follows the beats at the stored BPM; inside it the
        beats are only kept within the BPM limits. requireBeats makes no beats an error. */
    bool setBeats (int beatsX100, bool requireBeats);
    bool setCalcBpmMode (bool on);
    /** Shows the BPM the beats give over the range, in the calculation mode only. */
    bool calculateBpm (int beatsX100);

    bool setSlotStartTime (int slotIndex, double seconds);
    bool setStartTime (double seconds);
    bool setSlotEndTime (int slotIndex, double seconds);
    bool setEndTime (double seconds);
    bool setSlotTimeRange (int slotIndex, double start, double end);
    bool setTimeRange (double start, double end);

    bool setSlotGainDb (int slotIndex, float db);
    bool setGainDb (float db);
    /** Only the third and fourth SLOT may loop. */
    bool setSlotLoop (int slotIndex, bool loop);
    bool setLoop (bool loop);

private:
    /** What leaving the BPM-calculation mode restores. */
    struct SavedBpmState
    {
        double bpm = 0.0;
        double startSeconds = 0.0;
        double endSeconds = 0.0;
        bool valid = false;
    };

    void saveBpmState (const dataset::WyxSlot& slot, double bpm, double sampleRate);
    void restoreSavedBpmState (int slotIndex, dataset::WyxSlot& slot, double sampleRate);
    /** The editable SLOT when its audio has a sample rate, without which no time names a frame. */
    dataset::WyxSlot* getSlotForRangeEdit (int slotIndex) const;
    /** Moves the start (startSide) or the end of the SLOT's range to the time given. */
    bool moveRangeSide (int slotIndex, double seconds, bool startSide);
    /** Stores a range whose start (startSide) or end the user moved, and shows what changed. */
    void storeRangeWithMovedSide (int slotIndex, dataset::WyxSlot& slot, juce::Range<juce::int64> range,
                                  bool startSide);
    /** The beats the detail shows for the SLOT's range at its stored BPM. */
    void pushBeatsAtStoredBpm (const dataset::WyxSlot& slot);

    ViewModelLinks& links;
    ISendErrorMessage& messages;
    const dataset::WyxDataSet* const dataSet;

    bool calcBpmMode = false;
    SavedBpmState savedBpmState;

    JUCE_DECLARE_NON_COPYABLE (SlotEditing)
};
} // namespace vantor::service
