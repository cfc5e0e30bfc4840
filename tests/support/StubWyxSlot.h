#pragma once

#include "vantor/dataset/WyxSlot.h"

namespace glorvak::test
{
// A SLOT whose values are plain fields, for code that only reads SLOTs. Nothing is stored on
// disk; file operations fail.
class StubWyxSlot : public vantor::dataset::WyxSlot
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<StubWyxSlot>;

    static Ptr empty() { return new StubWyxSlot(); }

    // A SLOT holding a file of sampleCount frames at rate, playing start..end.
    static Ptr withAudio (const juce::String& name, juce::int64 sampleCount, double rate, juce::int64 start,
                          juce::int64 end)
    {
        Ptr slot (new StubWyxSlot());
        slot->name = name;
        slot->file = juce::File ("/samples/" + name + ".wav");
        slot->info.sampleCount = sampleCount;
        slot->info.sampleRate = rate;
        slot->info.channelCount = 2;
        slot->range = {start, end};
        return slot;
    }

    juce::String name;
    juce::File file;
    vantor::dataset::WyxSlotFileInfo info;
    juce::Range<juce::int64> range;
    int bpmX100 = 0;
    float gainDb = 0.0f;
    bool loop = false;
    bool dubkick = false;

    juce::String getName() const override { return name; }
    void setName (const juce::String& n) override { name = n; }
    int getBpm() const override { return bpmX100; }
    void setBpm (int b) override { bpmX100 = b; }
    juce::Range<juce::int64> getRange() const override { return range; }
    void setRange (const juce::Range<juce::int64>& r) override { range = r; }

    double getTimeLength() const override
    {
        return info.sampleRate > 0.0 ? (double)range.getLength() / info.sampleRate : 0.0;
    }

    float getBeatLength() const override { return (float)(getTimeLength() * (bpmX100 / 100.0 / 60.0)); }

    float getGainDb() const override { return gainDb; }
    void setGainDb (float g) override { gainDb = g; }
    bool isLoop() const override { return loop; }
    void setLoop (bool l) override { loop = l; }
    bool isDubkickMode() const override { return dubkick; }
    void setDubkickMode (bool d) override { dubkick = d; }
    juce::File getFile() const override { return file; }
    juce::String getDisplayFileName() const override { return file.getFileName(); }
    juce::String getOriginalFileName() const override { return file.getFileName(); }
    const vantor::dataset::WyxSlotFileInfo& getFileInfo() const override { return info; }

    bool importAudioFile (const juce::File&, common::AudioFileTools::AudioFileInfo*, bool) override
    {
        return false;
    }

    std::unique_ptr<common::AudioFileTools::OpenedAudioFile>
    createReader (const juce::File&, common::AudioFileTools::AudioFileInfo*) override
    {
        return nullptr;
    }

    bool importFromReader (std::unique_ptr<common::AudioFileTools::OpenedAudioFile>&, const juce::File&,
                           const common::AudioFileTools::AudioFileInfo&, bool) override
    {
        return false;
    }

    bool copyFrom (const WyxSlot*) override { return false; }
    WyxSlot::Ptr clone (const juce::File&) const override { return nullptr; }
    WyxSlot::Ptr cloneToTemp() const override { return nullptr; }
    void reset() override
    {
        name = {};
        file = juce::File();
        info = {};
        range = {};
        bpmX100 = 0;
        gainDb = 0.0f;
        loop = false;
    }

    void clear() override { reset(); }
    void setFolder (const juce::File&) override {}
    juce::String fromVar (const juce::var&, const juce::File&) override { return {}; }
    juce::var toVar (int) const override { return {}; }

private:
    StubWyxSlot() = default;
};
} // namespace glorvak::test
