#include "vantor/browse/SamplePreview.h"

#include "common/player/AudioPlayer.h"
#include "vantor/ui/Spotlight.h"

namespace vantor::browse
{
using common::player::AudioPlayer;

void SamplePreview::play (juce::URL& pageUrl, const juce::File& file)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto* player = AudioPlayer::getInstance();
    if (player == nullptr)
        return;

    const juce::URL url (file);

    if (player->getCurrentUrl() != url)
    {
        pageUrl = url;
        player->load (pageUrl, true);
        player->setGain (gain);
    }

    player->startOrStop (true);
}

void SamplePreview::toggle (juce::URL& pageUrl, const juce::File& file)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto* player = AudioPlayer::getInstance();
    if (player == nullptr)
        return;

    if (player->getCurrentUrl() == juce::URL (file))
        player->startOrStop (false);
    else
        play (pageUrl, file);
}

void SamplePreview::stopIfPlaying (const juce::URL& pageUrl)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (auto* player = AudioPlayer::getInstanceWithoutCreating())
        if (player->getCurrentUrl() == pageUrl && player->isPlaying())
            player->startOrStop (false);
}

void SamplePreview::pointAtSlotView (bool dragging)
{
    JUCE_ASSERT_MESSAGE_THREAD

    // The overlay belongs to the main view: a page never creates it (a page shown on its own,
    // without the main view, has none).
    auto* spotlight = ui::Spotlight::getInstanceWithoutCreating();

    if (spotlight == nullptr)
        return;

    if (dragging)
        spotlight->start ({slotViewTarget}, nullptr);
    else
        spotlight->setVisible (false);
}
} // namespace vantor::browse
