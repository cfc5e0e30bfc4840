#pragma once

#include "common/reader/AbstractReader.h"
#include "common/reader/IIndividualReaderFactory.h"

#include <juce_audio_formats/juce_audio_formats.h>

namespace quelbix
{
// The last resort of the reader factory: a reader over whatever JUCE's formats open by file
// extension. The process-wide format manager holds JUCE's basic formats (WAV, AIFF, FLAC here)
// and, after them, the platform decoder's format for ".mp2", ".mp3", ".mp4", ".m4a", ".aac" and
// the other extensions it lists.
// Used by one thread at a time; takes no lock for read.
class JuceAudioReaderWrapper : public AbstractReader
{
public:
    JuceAudioReaderWrapper();
    ~JuceAudioReaderWrapper() override;

    bool open (const juce::String& path) override;
    void close() override;
    void read (int startSample, StereoSample* dest, int numFrames) override;
    int getBufferedPercent() override { return -1; }
    bool analyze() override { return false; }

    int getLengthInSamples() override;
    int getSampleRate() override;
    int getFileSampleRate() override { return getSampleRate(); }
    juce::uint16 getBitsPerSample() override;
    int getBitRate() override;
    juce::uint16 getNumChannels() override;
    void setUserValue (juce::uint64) override {}

    // True when a format of the shared manager lists the path's extension.
    bool canRead (const juce::String& path) const;

    // The format that would open the path, or null.
    juce::AudioFormat* findFormatFor (const juce::String& path) const;

    // Reads numFrames stereo frames from startSample of a JUCE reader into dest. A read that the
    // reader reports as failed gives silence: JUCE then leaves its integer samples unconverted.
    static void readStereo (juce::AudioFormatReader& source, int startSample, StereoSample* dest,
                            int numFrames);

private:
    juce::AudioFormatManager& formats; // process-wide; outlives every wrapper until shut-down
    std::unique_ptr<juce::AudioFormatReader> reader;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JuceAudioReaderWrapper)
};

class JuceAudioReaderFactory : public IIndividualReaderFactory
{
public:
    std::unique_ptr<AbstractReader> createReader (const juce::String& path) override;
};
} // namespace quelbix
