#pragma once

#include "vantor/dataset/WyxSlot.h"

namespace vantor::dataset
{
/** The one implementation of WyxSlot. Threads as for WyxSlot. */
class WyxSlotImpl : public WyxSlot
{
public:
    WyxSlotImpl() = default;
    /** A copy in the program's temporary folder takes its WAV with it; SLOTs of the model and the
        collection leave theirs to the clean-up of their owner. */
    ~WyxSlotImpl() override;

    juce::String getName() const override { return name; }
    void setName (const juce::String& newName) override;
    int getBpm() const override { return bpm; }
    void setBpm (int bpmX100) override;
    juce::Range<juce::int64> getRange() const override { return {rangeStart, rangeEnd}; }
    void setRange (const juce::Range<juce::int64>& range) override;
    double getTimeLength() const override;
    float getBeatLength() const override;
    float getGainDb() const override { return gain; }
    void setGainDb (float gainDb) override;
    bool isLoop() const override { return loop; }
    void setLoop (bool shouldLoop) override;
    bool isDubkickMode() const override { return dubkick; }
    void setDubkickMode (bool shouldDubkick) override;
    juce::File getFile() const override { return file; }
    juce::String getDisplayFileName() const override { return displayFileName; }
    juce::String getOriginalFileName() const override { return originalFileName; }
    const WyxSlotFileInfo& getFileInfo() const override { return fileInfo; }

    bool importAudioFile (const juce::File& source, common::AudioFileTools::AudioFileInfo* info,
                          bool copyOnly) override;
    std::unique_ptr<common::AudioFileTools::OpenedAudioFile>
    createReader (const juce::File& source, common::AudioFileTools::AudioFileInfo* info) override;
    bool importFromReader (std::unique_ptr<common::AudioFileTools::OpenedAudioFile>& reader,
                           const juce::File& source, const common::AudioFileTools::AudioFileInfo& info,
                           bool copyOnly) override;

    bool copyFrom (const WyxSlot* other) override;
    Ptr clone (const juce::File& targetFolder) const override;
    Ptr cloneToTemp() const override;

    void reset() override;
    void clear() override;
    void setFolder (const juce::File& newFolder) override;

    juce::String fromVar (const juce::var& slotObject, const juce::File& newFolder) override;
    juce::var toVar (int slotNumber) const override;

    /** Takes over everything but the folder from a staged SLOT of the same folder, whose WAV then
        becomes this SLOT's; this SLOT's former WAV is deleted and the staged SLOT is left empty.
        Lets a BANK copy all four SLOTs before it changes any of them. */
    void adoptContentOf (WyxSlotImpl& staged);

    // The limits of the setters, applied also to values read from files.
    static int limitBpm (int bpmX100);
    static float limitGainDb (float gainDb);
    static juce::Range<juce::int64> limitRange (juce::int64 start, juce::int64 end, juce::int64 sampleCount);

    static constexpr double importSampleRate = 96000.0;

private:
    void emptyFieldsExceptFolder();
    void deleteOwnFile();
    bool installStagedWav (const juce::File& staging, const juce::String& base,
                           const juce::String& sourceName, juce::int64 length, double rate, int channels);
    void takeNewWav (const juce::File& target, const juce::String& base, const juce::String& sourceName,
                     juce::int64 length, double rate, int channels);

    juce::File folder;
    juce::String name;
    int bpm = 0;
    juce::int64 rangeStart = 0;
    juce::int64 rangeEnd = 0;
    float gain = 0.0f;
    bool loop = false;
    bool dubkick = false;
    juce::File file;
    juce::String displayFileName;
    juce::String originalFileName;
    WyxSlotFileInfo fileInfo;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WyxSlotImpl)
};
} // namespace vantor::dataset
