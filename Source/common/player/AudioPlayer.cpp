#include "common/player/AudioPlayer.h"

#include "common/audiofile/AudioFileTools.h"

namespace common::player
{
namespace
{
constexpr int readAheadSamples = 0x8000;
constexpr int outputChannels = 2;
const char* const deviceTypeName = "ALSA";
} // namespace

JUCE_IMPLEMENT_SINGLETON (AudioPlayer)

AudioPlayer::AudioPlayer()
{
    formatManager.registerBasicFormats();
    previewThread.startThread();

    loopingSource = std::make_shared<LoopingSource>();
    loopingSource->addChangeListener (this);

    openDefaultDevice();
    deviceManager.addAudioCallback (&sourcePlayer);
    deviceManager.addChangeListener (this);

    sourcePlayer.setSource (loopingSource.get());
}

AudioPlayer::~AudioPlayer()
{
    loopingSource->removeChangeListener (this);
    loopingSource->setSource (nullptr);
    sourcePlayer.setSource (nullptr);
    deviceManager.removeChangeListener (this);
    deviceManager.removeAudioCallback (&sourcePlayer);

    positionableSource.reset();
    readerSource.reset();
    loopingSource.reset();
    // Without a time-out: the read-ahead in progress always ends, and a thread is never killed
    // (a slow file must not cost the process a thread torn down in the middle of a read).
    previewThread.stopThread (-1);
    deviceManager.closeAudioDevice();

    clearSingletonInstance();
}

void AudioPlayer::openDefaultDevice()
{
    deviceManager.initialise (0, outputChannels, nullptr, true);

    // The program plays through ALSA even where another device type is listed first.
    if (deviceManager.getCurrentAudioDeviceType() != deviceTypeName)
        for (auto* type : deviceManager.getAvailableDeviceTypes())
            if (type->getTypeName() == deviceTypeName)
                deviceManager.setCurrentAudioDeviceType (deviceTypeName, true);
}

//==============================================================================
void AudioPlayer::stopTransport()
{
    if (deviceManager.getCurrentAudioDevice() != nullptr)
        loopingSource->stop();
    else
        loopingSource->stopWithoutDevice();
}

void AudioPlayer::unload()
{
    stopTransport();
    loopingSource->setSource (nullptr);
    readerSource.reset();
    currentUrl = juce::URL();
    positionableSource.reset();
}

bool AudioPlayer::loadSource (const juce::URL& url, bool useSampleReaders)
{
    unload();

    if (url.isEmpty())
        return false;

    if (useSampleReaders)
    {
        if (!url.isLocalFile())
            return false;

        auto source = AudioFileTools::createPositionableAudioSource (url.getLocalFile());

        if (source == nullptr || source->getSampleRate() <= 0)
            return false;

        positionableSource = std::move (source);
        currentUrl = url;

        const auto rate = (double)positionableSource->getSampleRate();
        loopingSource->setSource (positionableSource.get(), readAheadSamples, &previewThread, rate,
                                  outputChannels);

        // A user's file plays once, to its very end at whatever rate the device runs.
        loopingSource->setLooping (false);
        loopingSource->setLoopRangeToWholeSource();
        loopRangeSeconds = {0.0, (double)positionableSource->getTotalLength() / rate};
        return true;
    }

    std::unique_ptr<juce::InputSource> input;

    if (url.isLocalFile())
        input = std::make_unique<juce::FileInputSource> (url.getLocalFile());
    else
        input = std::make_unique<juce::URLInputSource> (url);

    std::unique_ptr<juce::InputStream> stream (input->createInputStream());

    if (stream == nullptr)
        return false;

    auto* reader = formatManager.createReaderFor (std::move (stream));

    if (reader == nullptr || reader->sampleRate <= 0)
    {
        delete reader;
        return false;
    }

    readerSource = std::make_unique<juce::AudioFormatReaderSource> (reader, true);
    currentUrl = url;
    loopingSource->setSource (readerSource.get(), readAheadSamples, &previewThread, reader->sampleRate,
                              outputChannels);
    loopingSource->setLooping (looping);
    return true;
}

void AudioPlayer::load (const juce::URL& url, bool useSampleReaders)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (loadSource (url, useSampleReaders))
        sendChangeMessage();
    else if (!url.isEmpty() && loadFailedCallback)
        loadFailedCallback();
}

void AudioPlayer::startOrStop (bool restart)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (loopingSource->isPlaying() && !restart)
    {
        stopTransport();
        return;
    }

    if (loopingSource->isPrepared())
        loopingSource->setNextReadPosition (loopingSource->getLoopRange().getStart());

    loopingSource->start();
}

void AudioPlayer::setLoopRange (juce::Range<double> seconds)
{
    JUCE_ASSERT_MESSAGE_THREAD

    loopRangeSeconds = seconds;

    if (deviceManager.getCurrentAudioDevice() == nullptr || !loopingSource->isPrepared())
        return;

    const auto rate = loopingSource->getSampleRate();
    const auto start = (juce::int64) (rate * seconds.getStart());
    loopingSource->setLoopRange ({start, juce::jmax (start, (juce::int64) (rate * seconds.getEnd()))});
}

void AudioPlayer::setLooping (bool shouldLoop)
{
    JUCE_ASSERT_MESSAGE_THREAD

    looping = shouldLoop;

    if (readerSource != nullptr)
        loopingSource->setLooping (shouldLoop);
}

void AudioPlayer::setGain (float linearGain)
{
    loopingSource->setGain (linearGain);
}

bool AudioPlayer::isPlaying() const
{
    return loopingSource->isPlaying();
}

juce::URL AudioPlayer::getCurrentUrl() const
{
    return currentUrl;
}

std::shared_ptr<LoopingSource> AudioPlayer::getTransportSource() const
{
    return loopingSource;
}

void AudioPlayer::setLoadFailedCallback (std::function<void()> callback)
{
    loadFailedCallback = std::move (callback);
}

//==============================================================================
void AudioPlayer::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (source == loopingSource.get())
        sendChangeMessage();
    else if (source == &deviceManager)
        followDefaultDevice();
}

void AudioPlayer::followDefaultDevice()
{
    auto* type = deviceManager.getCurrentDeviceTypeObject();

    if (type == nullptr)
        return;

    type->scanForDevices();
    const auto names = type->getDeviceNames (false);
    const auto defaultName = names[type->getDefaultDeviceIndex (false)];
    auto* device = deviceManager.getCurrentAudioDevice();

    if (device != nullptr && device->getName() == defaultName)
    {
        failedDeviceSnapshot.clear();
        return;
    }

    // Opening sends another change message: try once per state of the device list, not again
    // and again while the device stays busy or absent.
    const auto snapshot = defaultName + "\n" + names.joinIntoString ("\n");

    if (device == nullptr && snapshot == failedDeviceSnapshot)
        return;

    openDefaultDevice();
    failedDeviceSnapshot = deviceManager.getCurrentAudioDevice() == nullptr ? snapshot : juce::String();
    setLoopRange (loopRangeSeconds);
}
} // namespace common::player
