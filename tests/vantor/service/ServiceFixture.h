#pragma once

#include "vantor/bank/BankViewModel.h"
#include "vantor/browse/BrowseViewModel.h"
#include "vantor/service/MessageCode.h"
#include "vantor/service/VantorService.h"
#include "vantor/slot/SlotPadViewModel.h"
#include "vantor/slot/SlotViewModel.h"
#include "vantor/slot_detail/SlotDetailViewModel.h"

#include "support/SyntheticAudioReader.h"
#include "vantor/dataset/DataSetTestHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace glorvak::test
{
using vantor::dataset::WyxBank;
using vantor::dataset::WyxSlot;
using vantor::service::ClipboardInfo;
using vantor::service::MessageCode;

struct PostedMessage
{
    juce::String text;
    int kind = -1;
};

class ClipboardRecorder : public vantor::service::ClipboardObserver
{
public:
    void clipboardChanged (const ClipboardInfo& info) override { seen.push_back (info); }
    std::vector<ClipboardInfo> seen;
};

class BrowseRecorder : public vantor::browse::BrowseObserver
{
public:
    void bankCollectionChanged (const std::vector<vantor::browse::BankCollectionItem>&) override
    {
        ++listChanges;
    }
    void bankCollectionItemChanged (int, const juce::String&, double) override {}
    void bankCollectionItemRenamed (int, const juce::String&) override {}
    void bankCollectionItemSelected (int index) override { selected.push_back (index); }

    int listChanges = 0;
    std::vector<int> selected;
};

class DetailRecorder : public vantor::slot_detail::SlotDetailObserver
{
public:
    void slotDetailChanged (const vantor::slot_detail::SlotDetailState&, bool fileChanged) override
    {
        ++changes;
        audioFileChanged = fileChanged;
    }
    void slotDetailReloaded (const vantor::slot_detail::SlotDetailState&) override { ++reloads; }
    void startTimeChanged (double) override {}
    void endTimeChanged (double) override {}
    void loopModeChanged (bool) override {}
    void gainDbChanged (float) override {}
    void beatsChanged (double) override {}
    void bpmChanged (double) override {}
    void bpmCalculated (double bpm) override { calculated.push_back (bpm); }

    int changes = 0;
    int reloads = 0;
    bool audioFileChanged = false;
    std::vector<double> calculated;
};

inline std::unique_ptr<common::AudioFileTools::OpenedAudioFile> openSynthetic (int rate, int frames)
{
    return std::make_unique<common::AudioFileTools::OpenedAudioFile> (
        std::make_unique<SyntheticAudioReader> (rate, frames, SyntheticAudioReader::ramp()), juce::File());
}

inline common::AudioFileTools::AudioFileInfo syntheticInfo (double rate, juce::int64 frames)
{
    common::AudioFileTools::AudioFileInfo info;
    info.sampleRate = rate;
    info.numChannels = 2;
    info.bitsPerSample = 16;
    info.lengthInSamples = frames;
    return info;
}

/** The service with its data set in the private test home and the real view models, wired as the
    program wires them; every posted message is recorded. */
class ServiceFixture : public ::testing::Test
{
protected:
    static constexpr int rate = 96000;

    void SetUp() override
    {
        service = std::make_unique<vantor::service::VantorService>();
        resolver.localeChanged();
        service->setMessagePoster (
            [this] (const juce::String& text, int kind) {
                messages.push_back ({text, kind});
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

        browse->addObserver (&browseRecorder);
        detail->addListener (&detailRecorder);
    }

    void TearDown() override
    {
        detail.reset();
        pads.reset();
        slots.reset();
        banks.reset();
        browse.reset();

        const auto dataFolder = service->getDataSet().getDataFolder();
        service.reset();
        dataFolder.deleteRecursively();
    }

    WyxBank& modelBank (int bankIndex) { return *service->getDataSet().getModel()->getBankList()[bankIndex]; }
    WyxSlot& modelSlot (int bankIndex, int slotIndex)
    {
        return *modelBank (bankIndex).getSlotList()[slotIndex];
    }

    /** Saves the model as its timer would after an edit. A WAV that a SLOT let go of stays until
        the save that no longer names it, whose clean-up deletes it. */
    void saveModel()
    {
        auto* model = service->getDataSet().getModel();
        model->setFavoriteBank (model->getFavoriteBank()); // a change, as any edit marks one
        model->save();
    }

    /** Puts seconds of audio at 96000 Hz into the SLOT, playing all of it. */
    void fillSlot (int bankIndex, int slotIndex, double seconds, const juce::String& name, int bpmX100 = 0)
    {
        auto& slot = modelSlot (bankIndex, slotIndex);
        const auto frames = (juce::int64)std::llround (seconds * rate);
        auto reader = openSynthetic (rate, (int)frames);
        ASSERT_TRUE (slot.importFromReader (reader, sources.child (name + ".wav"),
                                            syntheticInfo (rate, frames), false));
        slot.setName (name);
        slot.setBpm (bpmX100);
        ASSERT_EQ (slot.getFileInfo().sampleCount, frames);
    }

    /** Fills the SLOT and makes the SLOT views show the BANK and the SLOT, as the user would. */
    void fillAndSelect (int bankIndex, int slotIndex, double seconds, const juce::String& name,
                        int bpmX100 = 0)
    {
        fillSlot (bankIndex, slotIndex, seconds, name, bpmX100);
        ASSERT_TRUE (service->selectBank (bankIndex));
        ASSERT_TRUE (service->selectSlot (slotIndex));
    }

    /** The messages posted since the last call. */
    std::vector<PostedMessage> takeMessages()
    {
        auto taken = messages;
        messages.clear();
        return taken;
    }

    void expectOneMessage (int code, int kind)
    {
        const auto taken = takeMessages();
        ASSERT_EQ (taken.size(), 1u);
        EXPECT_EQ (taken[0].text, resolver.getMessage (code));
        EXPECT_EQ (taken[0].kind, kind);
    }

    void expectNoMessage() { EXPECT_EQ (takeMessages().size(), 0u); }

    ScratchFolder sources;
    std::vector<PostedMessage> messages;
    vantor::service::MessageResolver resolver;
    BrowseRecorder browseRecorder;
    DetailRecorder detailRecorder;
    std::unique_ptr<vantor::service::VantorService> service;
    std::unique_ptr<vantor::browse::BrowseViewModel> browse;
    std::unique_ptr<vantor::bank::BankViewModel> banks;
    std::unique_ptr<vantor::slot::SlotViewModel> slots;
    std::unique_ptr<vantor::slot::SlotPadViewModel> pads;
    std::unique_ptr<vantor::slot_detail::SlotDetailViewModel> detail;
};
} // namespace glorvak::test
