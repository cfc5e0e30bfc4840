#pragma once

#include "common/audiofile/AudioFileTools.h"
#include "vantor/dataset/SampleFiles.h"

#include <juce_events/juce_events.h>

#include <memory>

namespace vantor::dataset
{
/** One sample of the unit with its playback settings: a WAV file in the "samples" folder of the
    SLOT's folder, a name, a playback range in sample frames, a gain, loop or one-shot, the
    dub-kick flag and a BPM.

    Every setter broadcasts a change message after storing, also when the value did not change.
    SLOTs know nothing of the user-facing limits; the service applies them before calling here.

    Threads: created, changed and read on the message thread; the whole-set operations read SLOTs
    from their worker thread while a modal progress window blocks the user interface. */
class WyxSlot : public juce::ReferenceCountedObject, public juce::ChangeBroadcaster
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<WyxSlot>;

    ~WyxSlot() override = default;

    virtual juce::String getName() const = 0;
    virtual void setName (const juce::String& name) = 0;

    /** BPM × 100; 0 = not set. */
    virtual int getBpm() const = 0;
    /** A value <= 0 stores 0; anything else is limited to 4000 .. 99999. */
    virtual void setBpm (int bpmX100) = 0;

    virtual juce::Range<juce::int64> getRange() const = 0;
    /** Start at least 0; end between start and the WAV's length. */
    virtual void setRange (const juce::Range<juce::int64>& range) = 0;

    /** Seconds of the range; 0 without a sample rate. */
    virtual double getTimeLength() const = 0;
    /** Beats of the range at the SLOT's BPM; 0 without a sample rate. */
    virtual float getBeatLength() const = 0;

    virtual float getGainDb() const = 0;
    /** Limited to -18 .. +9 dB. */
    virtual void setGainDb (float gainDb) = 0;

    virtual bool isLoop() const = 0;
    virtual void setLoop (bool loop) = 0;

    virtual bool isDubkickMode() const = 0;
    virtual void setDubkickMode (bool dubkick) = 0;

    /** The WAV file; an empty File when no sample is assigned. */
    virtual juce::File getFile() const = 0;
    virtual juce::String getDisplayFileName() const = 0;
    virtual juce::String getOriginalFileName() const = 0;
    virtual const WyxSlotFileInfo& getFileInfo() const = 0;

    /** Opens the source and imports it (see importFromReader). False, with the SLOT untouched,
        when no reader opens the file. info, when given, receives what the reader found, also when
        the import that follows fails. */
    virtual bool importAudioFile (const juce::File& source, common::AudioFileTools::AudioFileInfo* info,
                                  bool copyOnly) = 0;

    /** Opens the source with the program's readers; null when none opens it. Changes nothing. */
    virtual std::unique_ptr<common::AudioFileTools::OpenedAudioFile>
    createReader (const juce::File& source, common::AudioFileTools::AudioFileInfo* info) = 0;

    /** Makes the source the SLOT's sample: converts it into a 24-bit stereo WAV at 96000 Hz, or with
        copyOnly copies the WAV unchanged (releasing the reader first), under a unique name in the
        samples folder. The new WAV is complete before the SLOT lets go of its old one, so a failure
        leaves the SLOT and its old WAV as they were. On success the SLOT holds the new sample with
        BPM, gain and loop reset; the dub-kick flag is kept. */
    virtual bool importFromReader (std::unique_ptr<common::AudioFileTools::OpenedAudioFile>& reader,
                                   const juce::File& source,
                                   const common::AudioFileTools::AudioFileInfo& info, bool copyOnly) = 0;

    /** Makes this SLOT a copy of the other with its own copy of the WAV. False when the other is
        null or its WAV cannot be copied; this SLOT is then unchanged. */
    virtual bool copyFrom (const WyxSlot* other) = 0;

    /** A new SLOT in the folder holding a copy of this one; null when the copy fails. */
    virtual Ptr clone (const juce::File& folder) const = 0;
    /** clone into the program's temporary folder; such a copy deletes its WAV when it dies. */
    virtual Ptr cloneToTemp() const = 0;

    /** Empties every field, the folder included; the WAV stays on disk. */
    virtual void reset() = 0;
    /** Deletes the WAV and empties every field except the folder. */
    virtual void clear() = 0;
    /** Resets the SLOT and gives it the folder; files stay on disk. */
    virtual void setFolder (const juce::File& folder) = 0;

    /** Reads a slot object. Values go through the setters' limits; a "file_name" that is not a
        bare name inside the samples folder is ignored. Always returns an empty string. */
    virtual juce::String fromVar (const juce::var& slotObject, const juce::File& folder) = 0;
    virtual juce::var toVar (int slotNumber) const = 0;
};

/** A new, empty SLOT without a folder. */
WyxSlot::Ptr createSlot();
} // namespace vantor::dataset
