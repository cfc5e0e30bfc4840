#pragma once

#include "common/reader/qm/ISourceReader.h"

#include <juce_audio_formats/juce_audio_formats.h>

namespace qm
{
// The platform decoder as a JUCE audio format: its readers (WindowsMediaCodec::WMAudioReader)
// decode AAC and ALAC in MP4/M4A, ADTS, MPEG audio (Layers I to III) and Windows Media Audio in
// ASF files to 16-bit PCM. It has no writer.
class WindowsMediaAudioFormat : public juce::AudioFormat
{
public:
    static constexpr const char* formatName = "Windows Media QM";

    // Decodes through the system's source reader.
    WindowsMediaAudioFormat();
    // Decodes through the given source readers (tests script them).
    explicit WindowsMediaAudioFormat (std::shared_ptr<WindowsMediaCodec::ISourceReaderFactory> factory);
    ~WindowsMediaAudioFormat() override;

    juce::Array<int> getPossibleSampleRates() override { return {}; }
    juce::Array<int> getPossibleBitDepths() override { return {}; }
    bool canDoStereo() override { return true; }
    bool canDoMono() override { return true; }
    bool isCompressed() override { return true; }

    juce::AudioFormatReader* createReaderFor (juce::InputStream* stream,
                                              bool deleteStreamIfOpeningFails) override;
    // As above, decoding the container's track with this id (0: the source reader's choice).
    juce::AudioFormatReader* createReaderFor (juce::InputStream* stream, bool deleteStreamIfOpeningFails,
                                              int audioTrackId);

    juce::AudioFormatWriter* createWriterFor (juce::OutputStream*, double, unsigned int, int,
                                              const juce::StringPairArray&, int) override
    {
        return nullptr;
    }

    using juce::AudioFormat::createWriterFor;

protected:
    // A format of another name and extensions over the same decoder.
    WindowsMediaAudioFormat (const juce::String& name, const juce::StringArray& extensions,
                             std::shared_ptr<WindowsMediaCodec::ISourceReaderFactory> factory);

private:
    std::shared_ptr<WindowsMediaCodec::ISourceReaderFactory> factory;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WindowsMediaAudioFormat)
};
} // namespace qm
