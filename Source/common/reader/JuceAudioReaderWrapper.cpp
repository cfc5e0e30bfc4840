#include "common/reader/JuceAudioReaderWrapper.h"

#include "common/reader/qm/JuceWindowsMediaAudioFormat.h"
#include "common/reader/qm/WindowsMediaAudioFormat.h"

#include <juce_events/juce_events.h>

namespace quelbix
{
namespace
{
class DefaultFormatManager : public juce::DeletedAtShutdown
{
public:
    DefaultFormatManager()
    {
        manager.registerBasicFormats();
#if !JUCE_USE_WINDOWS_MEDIA_FORMAT
        // JUCE has its Windows Media format only on Windows; ours takes its place in the order.
        manager.registerFormat (new qm::JuceWindowsMediaAudioFormat(), false);
#endif
        manager.registerFormat (new qm::WindowsMediaAudioFormat(), false);
    }

    juce::AudioFormatManager manager;
};

// Created once, under the language's thread-safe static initialisation, so that the formats are
// registered exactly once even when two wrappers are made at the same time.
juce::AudioFormatManager& getSharedFormatManager()
{
    static auto* shared = new DefaultFormatManager();
    return shared->manager;
}

constexpr unsigned int maxChannels = 64;
constexpr unsigned int maxBitsPerSample = 64;

// A header's values multiplied can exceed an int: they are held to its range.
int toInt (double value)
{
    if (!(value > (double)std::numeric_limits<int>::min()))
        return value == value ? std::numeric_limits<int>::min() : 0;

    return value < (double)std::numeric_limits<int>::max() ? (int)value : std::numeric_limits<int>::max();
}

// The text from the last "." on; a path without a dot is taken whole.
juce::String extensionOf (const juce::String& path)
{
    const auto dot = path.lastIndexOfChar ('.');
    return dot >= 0 ? path.substring (dot) : path;
}
} // namespace

JuceAudioReaderWrapper::JuceAudioReaderWrapper()
    : formats (getSharedFormatManager())
{
}

JuceAudioReaderWrapper::~JuceAudioReaderWrapper() = default;

juce::AudioFormat* JuceAudioReaderWrapper::findFormatFor (const juce::String& path) const
{
    const auto extension = extensionOf (path);

    // JUCE would add the dot itself: a name without one is no extension here.
    if (!extension.startsWithChar ('.'))
        return nullptr;

    return formats.findFormatForFileExtension (extension);
}

bool JuceAudioReaderWrapper::canRead (const juce::String& path) const
{
    return findFormatFor (path) != nullptr;
}

bool JuceAudioReaderWrapper::open (const juce::String& path)
{
    auto* format = findFormatFor (path);

    if (format == nullptr)
        return false;

    auto in = std::make_unique<juce::FileInputStream> (juce::File (path));

    if (in->failedToOpen())
        return false;

    reader.reset (format->createReaderFor (in.release(), true));

    // JUCE's WAV and AIFF readers take header fields unchecked: 0x8001 channels read as a negative
    // count and a frame count of 2^31 or more as a negative length, and reading then writes
    // outside the destination; a frame wider than their 5760-byte block never advances, and
    // reading loops for ever. No file of the program's users goes beyond these bounds.
    if (reader != nullptr &&
        (reader->numChannels < 1 || reader->numChannels > maxChannels || reader->bitsPerSample < 8 ||
         reader->bitsPerSample > maxBitsPerSample || reader->lengthInSamples < 0))
        reader.reset();

    return reader != nullptr;
}

void JuceAudioReaderWrapper::close()
{
    reader.reset();
}

void JuceAudioReaderWrapper::read (int startSample, StereoSample* dest, int numFrames)
{
    if (dest == nullptr || numFrames <= 0)
        return;

    if (reader == nullptr)
    {
        std::fill_n (dest, numFrames, StereoSample{});
        return;
    }

    readStereo (*reader, startSample, dest, numFrames);
}

void JuceAudioReaderWrapper::readStereo (juce::AudioFormatReader& source, int startSample, StereoSample* dest,
                                         int numFrames)
{
    juce::AudioBuffer<float> buffer (2, numFrames);
    buffer.clear();

    // Samples before 0 come back as zeros; a mono reader's channel is copied into both.
    if (!source.read (&buffer, 0, numFrames, startSample, true, true))
    {
        std::fill_n (dest, numFrames, StereoSample{});
        return;
    }

    const auto* left = buffer.getReadPointer (0);
    const auto* right = buffer.getReadPointer (1);

    for (int i = 0; i < numFrames; ++i)
        dest[i] = {left[i], right[i]};
}

int JuceAudioReaderWrapper::getLengthInSamples()
{
    if (reader == nullptr || reader->lengthInSamples >= ((juce::int64)1 << 31))
        return 0;

    return (int)reader->lengthInSamples;
}

int JuceAudioReaderWrapper::getSampleRate()
{
    return reader != nullptr ? toInt (reader->sampleRate) : 0;
}

juce::uint16 JuceAudioReaderWrapper::getBitsPerSample()
{
    return reader != nullptr ? (juce::uint16)reader->bitsPerSample : 0;
}

int JuceAudioReaderWrapper::getBitRate()
{
    if (reader == nullptr)
        return 0;

    return toInt ((double)reader->numChannels * reader->bitsPerSample * reader->sampleRate);
}

juce::uint16 JuceAudioReaderWrapper::getNumChannels()
{
    return reader != nullptr ? (juce::uint16)reader->numChannels : 0;
}

std::unique_ptr<AbstractReader> JuceAudioReaderFactory::createReader (const juce::String& path)
{
    // Only asks the question; each file gets a new, unopened wrapper of its own.
    static const JuceAudioReaderWrapper probe;

    if (probe.canRead (path))
        return std::make_unique<JuceAudioReaderWrapper>();

    return nullptr;
}
} // namespace quelbix
