#pragma once

#include "common/audiofile/PositionableAudioSource.h"
#include "common/player/LoopingSource.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <functional>
#include <memory>

namespace common::player
{
// The process-wide preview player: one sample or audio file at a time on the default output
// device, looping a range of it without a gap. Listeners get a change message after every
// successful load and whenever the transport starts or stops (also when a one-shot ends).
//
// Threads: every operation runs on the message thread; change messages arrive there too. The
// audio device thread pulls blocks from the looping source, and the thread "audio file preview"
// reads ahead from the loaded source (and with it the program's readers for the user's files).
class AudioPlayer : public juce::ChangeBroadcaster,
                    private juce::ChangeListener,
                    private juce::DeletedAtShutdown
{
public:
    // getInstance creates the player on first use under a lock (null when called from inside
    // its own construction); getInstanceWithoutCreating only looks; deleteInstance stops
    // playback, closes the device and deletes the player.
    JUCE_DECLARE_SINGLETON (AudioPlayer, false)

    // Stops and unloads first. useSampleReaders opens the user's files with the program's
    // readers; otherwise JUCE's basic formats read the program's own WAV files. On failure with a
    // non-empty URL the load-failed callback is called; an empty URL only unloads.
    void load (const juce::URL& url, bool useSampleReaders);

    // Playing and restart false: stops. Otherwise plays from the loop start.
    void startOrStop (bool restart);

    // Seconds of the loaded file; kept and applied again when the output device changes.
    void setLoopRange (juce::Range<double> seconds);
    // Applies to the program's own WAV files; a preview of a user's file never loops.
    void setLooping (bool shouldLoop);
    void setGain (float linearGain);

    bool isPlaying() const;
    juce::URL getCurrentUrl() const;
    std::shared_ptr<LoopingSource> getTransportSource() const;
    void setLoadFailedCallback (std::function<void()> callback);

    // The output device in use, for diagnostics and settings.
    juce::AudioDeviceManager& getDeviceManager() noexcept { return deviceManager; }

private:
    AudioPlayer();
    ~AudioPlayer() override;

    bool loadSource (const juce::URL& url, bool useSampleReaders);
    void unload();
    void stopTransport();
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;
    void openDefaultDevice();
    void followDefaultDevice();

    juce::AudioDeviceManager deviceManager;
    juce::AudioSourcePlayer sourcePlayer;
    juce::AudioFormatManager formatManager;
    juce::TimeSliceThread previewThread{"audio file preview"};
    juce::URL currentUrl;
    std::shared_ptr<LoopingSource> loopingSource;
    std::unique_ptr<juce::AudioFormatReaderSource> readerSource;
    std::unique_ptr<common::PositionableAudioSource> positionableSource;
    bool looping = false;
    juce::Range<double> loopRangeSeconds;
    std::function<void()> loadFailedCallback;
    // The devices and default seen when opening the default device last failed: the device
    // manager reports every attempt as a change, so without this a busy or missing device would
    // be retried for ever.
    juce::String failedDeviceSnapshot;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioPlayer)
};
} // namespace common::player
