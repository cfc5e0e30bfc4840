#pragma once

#include "vantor/bank/BankViewModel.h"
#include "vantor/browse/BrowseViewModel.h"
#include "vantor/service/MessageResolver.h"
#include "vantor/service/VantorService.h"
#include "vantor/slot/SlotPadViewModel.h"
#include "vantor/slot/SlotView.h"
#include "vantor/slot/SlotViewModel.h"
#include "vantor/slot_detail/SlotDetailView.h"
#include "vantor/slot_detail/SlotDetailViewModel.h"
#include "vantor/ui/LookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace glorvak::test
{
/** The SLOT table and the SLOT detail editor side by side on the real service, wired as the
    program wires them: the service with its data set under $XDG_DATA_HOME, the five view models,
    the views registered with them. Used by the SLOT views' GUI tests and by the harness program.
    Threads: message thread only. */
class SlotViewsHarness : public juce::Component
{
public:
    /** The views are viewWidth x viewHeight each, the detail editor detailWidth wide. */
    explicit SlotViewsHarness (int detailWidth = viewWidth);
    ~SlotViewsHarness() override;

    vantor::service::VantorService& getService() noexcept { return *service; }
    vantor::slot::SlotView& getSlotView() noexcept { return *slotView; }
    vantor::slot_detail::SlotDetailView& getDetailView() noexcept { return *detailView; }
    vantor::slot::SlotViewModel& getSlotViewModel() noexcept { return *slots; }
    vantor::slot_detail::SlotDetailViewModel& getDetailViewModel() noexcept { return *detail; }
    vantor::slot::SlotPadViewModel& getPadViewModel() noexcept { return *pads; }

    /** The user messages posted so far (translated texts). */
    const juce::StringArray& getMessages() const noexcept { return messages; }
    void clearMessages() { messages.clear(); }

    /** A 16-bit WAV of a sine on the left channel; the right one is silent when rightSilent,
        else carries the same sine. With swell the level rises and falls twice a second (so the
        waveform shows beats); without, it stays at 0.8. */
    static juce::File writeWav (const juce::File& file, double seconds, int channels, double sampleRate,
                                bool rightSilent = false, float frequency = 220.0f, bool swell = true);

    /** Fills BANK 1 with the demonstration SLOTs: A 2 s stereo with a silent right channel at
        120 BPM, C a 1 s loop at 128 BPM (B and D empty), names on all four; then shows BANK 1
        with SLOT A selected. Source files go into the folder given. */
    void fillDemoBank (const juce::File& sourceFolder);

    void resized() override;
    void paint (juce::Graphics& g) override;

    static constexpr int viewWidth = 413;
    static constexpr int viewHeight = 350;

private:
    vantor::LookAndFeel lookAndFeel;
    vantor::service::MessageResolver resolver;
    juce::StringArray messages;
    std::unique_ptr<vantor::service::VantorService> service;
    std::unique_ptr<vantor::browse::BrowseViewModel> browse;
    std::unique_ptr<vantor::bank::BankViewModel> banks;
    std::unique_ptr<vantor::slot::SlotViewModel> slots;
    std::unique_ptr<vantor::slot::SlotPadViewModel> pads;
    std::unique_ptr<vantor::slot_detail::SlotDetailViewModel> detail;
    std::unique_ptr<vantor::slot::SlotView> slotView;
    std::unique_ptr<vantor::slot_detail::SlotDetailView> detailView;
    const int detailWidth;
};

/** A desktop window holding a harness, titled "GLORVAK SLOT views". */
class SlotViewsHarnessWindow : public juce::DocumentWindow
{
public:
    explicit SlotViewsHarnessWindow (int detailWidth = SlotViewsHarness::viewWidth);
    ~SlotViewsHarnessWindow() override;

    SlotViewsHarness& getHarness() noexcept { return *harness; }
    void closeButtonPressed() override;

    static constexpr const char* title = "GLORVAK SLOT views";

private:
    SlotViewsHarness* harness;
};
} // namespace glorvak::test
