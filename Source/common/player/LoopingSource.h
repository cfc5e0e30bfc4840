#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include <atomic>
#include <memory>

namespace common::player
{
// The preview player's transport: plays its source and loops a range of it without a gap.
//
// The loop happens below the read-ahead buffer: the attached source is wrapped in a RangeLooper
// that the buffering source reads from, so the read-ahead runs straight across every loop
// crossing and the audio thread never waits for a refill. Without looping, playback ends at the
// range's end (or the source's, with an empty range) and the transport stops by itself.
//
// Threads: the message thread attaches sources, sets the range and the looping flag, and reads
// positions; the audio thread pulls blocks; the read-ahead thread ("audio file preview") reads
// the RangeLooper. The range and flag reach the RangeLooper through atomics; everything else is
// guarded by the transport's own callback lock.
class LoopingSource : public juce::AudioTransportSource
{
public:
    // Loops [start, end) of its source in the source's own samples. Its positions run on past the
    // loop end, as the read-ahead buffer needs them to; mapPosition folds them back into range.
    class RangeLooper : public juce::PositionableAudioSource
    {
    public:
        explicit RangeLooper (juce::PositionableAudioSource& sourceToLoop);

        // An empty range stands for the whole source.
        void setLoop (juce::Range<juce::int64> range, bool shouldLoop);
        // The source position that a running position stands for.
        juce::int64 mapPosition (juce::int64 position) const;

        void prepareToPlay (int samplesPerBlockExpected, double sampleRate) override;
        void releaseResources() override;
        void getNextAudioBlock (const juce::AudioSourceChannelInfo& info) override;
        void setNextReadPosition (juce::int64 newPosition) override { position = newPosition; }
        juce::int64 getNextReadPosition() const override { return position; }
        // Endless while looping; otherwise where playback ends.
        juce::int64 getTotalLength() const override;
        juce::int64 getSourceLength() const { return source.getTotalLength(); }
        // The read-ahead must not fold positions itself.
        bool isLooping() const override { return false; }

    private:
        struct Span
        {
            juce::int64 start, end;
            bool loops;
        };

        Span getSpan() const;
        void readSource (const juce::AudioSourceChannelInfo& info, juce::int64 from, int offset, int count);

        juce::PositionableAudioSource& source; // the player's loaded source, outlives this
        std::atomic<juce::int64> loopStart{0}, loopEnd{0}, position{0};
        std::atomic<bool> looping{false};

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RangeLooper)
    };

    LoopingSource();
    ~LoopingSource() override;

    // Attaches a source (null detaches) like the transport's own setSource, wrapped for looping.
    // The loop range keeps its value in device samples.
    void setSource (juce::PositionableAudioSource* newSource, int readAheadSize = 0,
                    juce::TimeSliceThread* readAheadThread = nullptr,
                    double sourceSampleRateToCorrectFor = 0.0, int maxNumChannels = 2);

    // Stops like stop(), for when no audio device pulls blocks: stop() would wait a second for
    // a block that never comes. Sends the same change message.
    void stopWithoutDevice();

    // The range in samples at the device's rate, as the transport reports positions. An end
    // before the start is raised to it. While stopped, the position moves to the range start.
    void setLoopRange (juce::Range<juce::int64> range);
    juce::Range<juce::int64> getLoopRange() const;
    // The range that plays the whole source, whatever the device's rate.
    void setLoopRangeToWholeSource();

    void setLooping (bool shouldLoop) override;
    bool isLooping() const override { return loopingWanted; }

    // The rate given to prepareToPlay; 44100 until the device has prepared the source.
    double getSampleRate() const noexcept { return preparedRate > 0.0 ? preparedRate.load() : 44100.0; }
    bool isPrepared() const noexcept { return preparedRate > 0.0; }

    void prepareToPlay (int samplesPerBlockExpected, double sampleRate) override;
    // Within the loop range while looping, though the read-ahead has moved on.
    juce::int64 getNextReadPosition() const override;
    // While looping, the source's length at the device's rate, not the read-ahead's endless one.
    juce::int64 getTotalLength() const override;

private:
    // Device samples per source sample, as the transport converts positions.
    double getRatio() const noexcept;
    void updateLooper();

    std::unique_ptr<RangeLooper> looper;
    double sourceRate = 0.0;
    int readAhead = 0;
    juce::TimeSliceThread* readAheadThreadUsed = nullptr;
    int numChannels = 2;
    std::atomic<double> preparedRate{0.0};
    juce::Range<juce::int64> sourceRange; // in the source's samples: survives device rate changes
    bool loopingWanted = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LoopingSource)
};
} // namespace common::player
