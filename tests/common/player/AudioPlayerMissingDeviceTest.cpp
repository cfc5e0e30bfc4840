#include "common/player/AudioPlayer.h"

#include <gtest/gtest.h>

using common::player::AudioPlayer;

namespace
{
struct CountingListener : juce::ChangeListener
{
    void changeListenerCallback (juce::ChangeBroadcaster*) override { ++count; }
    int count = 0;
};

TEST (AudioPlayerWithoutDevice, AMissingDeviceIsNotReopenedInALoop)
{
    // ALSA's default device names a sound card that does not exist (read from HOME, the test's
    // own folder), as when the output is unplugged or held by another program.
    juce::File::getSpecialLocation (juce::File::userHomeDirectory)
        .getChildFile (".asoundrc")
        .replaceWithText ("pcm.!default { type hw card 97 }\nctl.!default { type hw card 97 }\n");

    auto* player = AudioPlayer::getInstance();
    ASSERT_NE (player, nullptr);
    auto& devices = player->getDeviceManager();
    EXPECT_EQ (devices.getCurrentAudioDevice(), nullptr);

    CountingListener listener;
    devices.addChangeListener (&listener);

    // A device event makes the player try the default device again: once, not for ever.
    devices.sendChangeMessage();
    const auto deadline = juce::Time::getMillisecondCounter() + 1500;

    while (juce::Time::getMillisecondCounter() < deadline)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

    EXPECT_LE (listener.count, 3);
    devices.removeChangeListener (&listener);

    // Without a device the player still loads and starts; it only plays nothing.
    const auto wav = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("tone.wav");
    {
        juce::AudioBuffer<float> tone (2, 4410);
        tone.clear();
        juce::WavAudioFormat format;
        std::unique_ptr<juce::AudioFormatWriter> writer (
            format.createWriterFor (new juce::FileOutputStream (wav), 44100.0, 2, 16, {}, 0));
        writer->writeFromAudioSampleBuffer (tone, 0, tone.getNumSamples());
    }
    player->load (juce::URL (wav), false);
    EXPECT_EQ (player->getCurrentUrl(), juce::URL (wav));
    player->startOrStop (true);
    EXPECT_TRUE (player->isPlaying());

    // Stopping works although no device pulls a block, and says so.
    CountingListener playerListener;
    player->addChangeListener (&playerListener);
    player->startOrStop (false);
    EXPECT_FALSE (player->isPlaying());
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    EXPECT_EQ (playerListener.count, 1);
    player->removeChangeListener (&playerListener);
    AudioPlayer::deleteInstance();
}
} // namespace
