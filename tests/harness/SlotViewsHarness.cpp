#include "harness/SlotViewsHarness.h"

#include "common/player/AudioPlayer.h"
#include "vantor/ui/DialogHelper.h"
#include "vantor/ui/Spotlight.h"

#include <cmath>

namespace glorvak::test
{
SlotViewsHarness::SlotViewsHarness (int detailWidthToUse)
    : detailWidth (detailWidthToUse)
{
    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);
    setLookAndFeel (&lookAndFeel);

    service = std::make_unique<vantor::service::VantorService>();
    resolver.localeChanged();
    juce::Component::SafePointer<SlotViewsHarness> self (this);
    service->setMessagePoster (
        [self] (const juce::String& text, int kind)
        {
            juce::MessageManager::callAsync (
                [self, text, kind]
                {
                    if (auto* harness = self.getComponent())
                        harness->messages.add ((kind == 0 ? "error: " : "notice: ") + text);
                });
        });
    service->setMessageResolver (&resolver);

    browse = std::make_unique<vantor::browse::BrowseViewModel> (service.get());
    banks = std::make_unique<vantor::bank::BankViewModel> (service.get());
    slots = std::make_unique<vantor::slot::SlotViewModel> (service.get());
    pads = std::make_unique<vantor::slot::SlotPadViewModel> (service.get());
    detail = std::make_unique<vantor::slot_detail::SlotDetailViewModel> (service.get());
    service->setBrowseViewModel (browse.get());
    service->setBankViewModel (banks.get());
    service->setSlotViewModel (slots.get());
    service->setSlotPadViewModel (pads.get());
    service->setSlotDetailViewModel (detail.get());

    auto* svc = service.get();
    slotView = std::make_unique<vantor::slot::SlotView> (*slots, *pads,
                                                         [svc] (auto* observer, bool attach)
                                                         {
                                                             if (attach)
                                                                 svc->addClipboardObserver (observer);
                                                             else
                                                                 svc->removeClipboardObserver (observer);
                                                         });
    detailView = std::make_unique<vantor::slot_detail::SlotDetailView> (*detail);
    addAndMakeVisible (*slotView);
    addAndMakeVisible (*detailView);
    slotView->localeChanged();
    detailView->localeChanged();

    service->selectBank (0);
    service->selectSlot (0);

    setSize (viewWidth + detailWidth, viewHeight);
}

SlotViewsHarness::~SlotViewsHarness()
{
    vantor::ui::DialogHelper::releaseResources();
    detailView.reset();
    slotView.reset();
    vantor::ui::Spotlight::deleteInstance();
    common::player::AudioPlayer::deleteInstance();
    detail.reset();
    pads.reset();
    slots.reset();
    banks.reset();
    browse.reset();
    service.reset();
    setLookAndFeel (nullptr);
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}

juce::File SlotViewsHarness::writeWav (const juce::File& file, double seconds, int channels,
                                       double sampleRate, bool rightSilent, float frequency, bool swell)
{
    const auto frames = (int)std::llround (seconds * sampleRate);
    juce::AudioBuffer<float> buffer (channels, frames);
    buffer.clear();

    for (int i = 0; i < frames; ++i)
    {
        // A tone that swells and fades every half second, so the envelope shows its beats.
        const auto t = (double)i / sampleRate;
        const auto level =
            swell ? (float)(0.2 + 0.7 * std::abs (std::sin (juce::MathConstants<double>::pi * t * 2.0)))
                  : 0.8f;
        const auto value = level * (float)std::sin (juce::MathConstants<double>::twoPi * frequency * t);
        buffer.setSample (0, i, value);

        if (channels > 1 && !rightSilent)
            buffer.setSample (1, i, value);
    }

    file.deleteFile();
    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatWriter> writer (format.createWriterFor (
        new juce::FileOutputStream (file), sampleRate, (unsigned)channels, 16, {}, 0));

    if (writer != nullptr)
        writer->writeFromAudioSampleBuffer (buffer, 0, frames);

    return file;
}

void SlotViewsHarness::fillDemoBank (const juce::File& sourceFolder)
{
    sourceFolder.createDirectory();
    service->selectBank (0);
    service->assignAudio (0, writeWav (sourceFolder.getChildFile ("Kick left.wav"), 2.0, 2, 48000.0, true));
    service->setSlotBpm (0, 12000);
    service->assignAudio (2,
                          writeWav (sourceFolder.getChildFile ("Loop.wav"), 1.0, 2, 48000.0, false, 440.0f));
    service->setSlotBpm (2, 12800);
    service->setSlotLoop (2, true);

    const char* names[] = {"Kick left", "Empty B", "Loop", "Empty D"};

    for (int i = 0; i < 4; ++i)
        service->renameSlot (i, names[i]);

    service->selectSlot (0);
}

void SlotViewsHarness::resized()
{
    slotView->setBounds (0, 0, viewWidth, viewHeight);
    detailView->setBounds (viewWidth, 0, detailWidth, viewHeight);
}

void SlotViewsHarness::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);
}

//==============================================================================
SlotViewsHarnessWindow::SlotViewsHarnessWindow (int detailWidth)
    : juce::DocumentWindow (title, juce::Colours::black, juce::DocumentWindow::closeButton, true)
{
    harness = new SlotViewsHarness (detailWidth);
    setUsingNativeTitleBar (true);
    setContentOwned (harness, true);
    setResizable (false, false);
    setTopLeftPosition (20, 20);
    setVisible (true);
}

SlotViewsHarnessWindow::~SlotViewsHarnessWindow()
{
    clearContentComponent();
}

void SlotViewsHarnessWindow::closeButtonPressed()
{
    if (auto* app = juce::JUCEApplicationBase::getInstance())
        app->systemRequestedQuit();
}
} // namespace glorvak::test
