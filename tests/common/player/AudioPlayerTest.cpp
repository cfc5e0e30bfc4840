#include "common/player/AudioPlayer.h"
#include "support/MessagePump.h"

#include <gtest/gtest.h>

using common::player::AudioPlayer;

namespace
{
// ALSA's null device: callbacks run as fast as the player answers them, so playback that would
// take seconds on a sound card ends at once. ALSA reads this from HOME, the test's own folder.
void useNullAudioDevice()
{
    juce::File::getSpecialLocation (juce::File::userHomeDirectory)
        .getChildFile (".asoundrc")
        .replaceWithText ("pcm.!default { type null }\nctl.!default { type hw card 0 }\n");
}

juce::File writeRampWav (const juce::String& name, double sampleRate, int numFrames)
{
    auto file = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile (name);
    file.deleteFile();
    juce::AudioBuffer<float> ramp (2, numFrames);

    for (int i = 0; i < numFrames; ++i)
        for (int c = 0; c < 2; ++c)
            ramp.setSample (c, i, 0.1f + 0.8f * (float)i / (float)numFrames);

    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        wav.createWriterFor (new juce::FileOutputStream (file), sampleRate, 2, 16, {}, 0));
    writer->writeFromAudioSampleBuffer (ramp, 0, numFrames);
    return file;
}

// Generous: the player's messages arrive late on a loaded machine, never wrong.
bool pumpUntil (const std::function<bool()>& condition)
{
    return glorvak::test::pumpMessagesUntil (condition, 60000);
}

// Records what the player's listeners learn with each change message.
struct ChangeLog : juce::ChangeListener
{
    explicit ChangeLog (AudioPlayer& p)
        : player (p)
    {
        player.addChangeListener (this);
    }
    ~ChangeLog() override { player.removeChangeListener (this); }

    void changeListenerCallback (juce::ChangeBroadcaster*) override
    {
        playingAtMessage.push_back (player.isPlaying());
    }

    AudioPlayer& player;
    std::vector<bool> playingAtMessage;
};

class AudioPlayerTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { useNullAudioDevice(); }

    void SetUp() override
    {
        ASSERT_EQ (AudioPlayer::getInstanceWithoutCreating(), nullptr);
        player = AudioPlayer::getInstance();
        ASSERT_NE (player, nullptr);
    }

    void TearDown() override
    {
        AudioPlayer::deleteInstance();
        EXPECT_EQ (AudioPlayer::getInstanceWithoutCreating(), nullptr);
    }

    AudioPlayer* player = nullptr;
};

TEST_F (AudioPlayerTest, ChangeMessagesFollowLoadStartAndStop)
{
    ASSERT_NE (player->getDeviceManager().getCurrentAudioDevice(), nullptr)
        << "ALSA's null device did not open";

    const auto url = juce::URL (writeRampWav ("slot.wav", 44100.0, 44100 * 5));
    ChangeLog log (*player);

    player->load (url, false);
    ASSERT_TRUE (pumpUntil ([&] { return log.playingAtMessage.size() == 1; }));
    EXPECT_EQ (player->getCurrentUrl(), url);
    EXPECT_FALSE (log.playingAtMessage[0]);

    player->setLooping (true);
    player->setLoopRange ({0.5, 1.0});
    player->startOrStop (false);
    ASSERT_TRUE (pumpUntil ([&] { return log.playingAtMessage.size() == 2; }));
    EXPECT_TRUE (log.playingAtMessage[1]);
    EXPECT_TRUE (player->isPlaying());

    // Looping keeps it playing, inside the range.
    const auto transport = player->getTransportSource();
    ASSERT_TRUE (pumpUntil ([&] { return transport->getNextReadPosition() > 0; }));
    const auto rate = transport->getSampleRate();
    const auto position = (double)transport->getNextReadPosition() / rate;
    EXPECT_GE (position, 0.49);
    EXPECT_LT (position, 1.01);

    player->startOrStop (false);
    ASSERT_TRUE (pumpUntil ([&] { return log.playingAtMessage.size() == 3; }));
    EXPECT_FALSE (log.playingAtMessage[2]);
    EXPECT_FALSE (player->isPlaying());
}

TEST_F (AudioPlayerTest, OneShotEndsAtTheRangeEndWithAChangeMessage)
{
    const auto url = juce::URL (writeRampWav ("oneshot.wav", 44100.0, 44100 * 3));
    player->load (url, false);
    player->setLooping (false);
    player->setLoopRange ({0.25, 0.5});

    ChangeLog log (*player);
    player->startOrStop (true);
    ASSERT_TRUE (player->isPlaying());

    // Change messages that are still pending merge into one, so their number says nothing. Every
    // message delivered from here on comes after the start, and one that finds the player stopped
    // tells the listeners of the end: wait for that one.
    ASSERT_TRUE (pumpUntil ([&] { return !log.playingAtMessage.empty() && !log.playingAtMessage.back(); }));
    EXPECT_FALSE (player->isPlaying());
    const auto transport = player->getTransportSource();
    EXPECT_LT ((double)transport->getNextReadPosition() / transport->getSampleRate(), 0.6);
}

TEST_F (AudioPlayerTest, UserFilePreviewPlaysToItsEndWhenTheDeviceRunsFaster)
{
    auto& devices = player->getDeviceManager();
    auto setup = devices.getAudioDeviceSetup();
    setup.sampleRate = 48000.0;
    ASSERT_TRUE (devices.setAudioDeviceSetup (setup, true).isEmpty());
    ASSERT_EQ (devices.getCurrentAudioDevice()->getCurrentSampleRate(), 48000.0);

    const auto url = juce::URL (writeRampWav ("user file.wav", 44100.0, 44100));
    player->load (url, true);
    ASSERT_EQ (player->getCurrentUrl(), url);

    const auto transport = player->getTransportSource();
    EXPECT_EQ (transport->getLoopRange().getEnd(), transport->getTotalLength());

    player->startOrStop (true);
    ASSERT_TRUE (pumpUntil ([&] { return !player->isPlaying(); }));
    EXPECT_GE ((double)transport->getNextReadPosition(), 0.99 * (double)transport->getTotalLength());
}

TEST_F (AudioPlayerTest, FailedLoadsCallTheCallbackOnlyForANamedFile)
{
    int failures = 0;
    player->setLoadFailedCallback ([&] { ++failures; });
    ChangeLog log (*player);

    const auto good = juce::URL (writeRampWav ("good.wav", 44100.0, 1000));
    player->load (good, false);
    ASSERT_EQ (player->getCurrentUrl(), good);

    player->load (juce::URL(), true);
    EXPECT_EQ (failures, 0);
    EXPECT_TRUE (player->getCurrentUrl().isEmpty());

    const auto missing = juce::URL (
        juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("missing.wav"));
    const auto notAudio =
        juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("text.wav");
    notAudio.replaceWithText ("not audio");

    player->load (missing, false);
    player->load (missing, true);
    player->load (juce::URL (notAudio), false);
    testing::internal::CaptureStdout();
    player->load (juce::URL (notAudio), true);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ (failures, 4);
    EXPECT_TRUE (player->getCurrentUrl().isEmpty());

    // Only the one successful load announced itself.
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    EXPECT_EQ (log.playingAtMessage.size(), 1u);
}
} // namespace
