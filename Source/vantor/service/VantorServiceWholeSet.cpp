#include "vantor/service/VantorService.h"

#include "common/usage/UsageLogger.h"
#include "vantor/dataset/FrameTime.h"
#include "vantor/dataset/MessageThreadCall.h"
#include "vantor/service/IndexRules.h"
#include "vantor/service/MessageCode.h"
#include "vantor/service/ProgressWindowJobProgress.h"

// The whole-set operations of the service, with the messages and usage records they give. Backup,
// restore, importFromDevice and exportToDevice run on the worker thread of a progress window: what
// they need of the model they read through a call on the message thread; messages may be sent from
// any thread.

namespace vantor::service
{
using namespace indexrules;

int VantorService::toMessageCode (const juce::String& errorKind)
{
    if (errorKind == dataset::errorkind::copy)
        return MessageCode::copyFailed;

    if (errorKind == dataset::errorkind::notFound)
        return MessageCode::fileMissing;

    if (errorKind == dataset::errorkind::invalidFormat)
        return MessageCode::unsupportedFormat;

    return MessageCode::generalError;
}

bool VantorService::finishWholeSetOperation (const dataset::ErrorKind& kind, ScopedErrorMessage& message)
{
    if (kind.isEmpty())
        return true;

    if (kind == dataset::errorkind::cancelled)
        return false;

    return message.fail (toMessageCode (kind));
}

bool VantorService::finishReplacingOperation (const dataset::ErrorKind& kind, ScopedErrorMessage& message,
                                              bool includeCollection)
{
    if (!finishWholeSetOperation (kind, message))
        return false;

    // The data set has posted its reload already: the refresh posted now runs after it.
    juce::MessageManager::callAsync (
        [weakThis = juce::WeakReference<VantorService> (this), includeCollection]
        {
            if (auto* service = weakThis.get())
                service->refreshAll (includeCollection);
        });

    return true;
}

bool VantorService::backup (const juce::File& zipFile, juce::ThreadWithProgressWindow* progress)
{
    if (dataSet == nullptr)
        return false;

    ScopedErrorMessage message (*this);
    ProgressWindowJobProgress jobProgress (progress);
    return finishWholeSetOperation (dataSet->backup (zipFile, jobProgress.get()), message);
}

bool VantorService::restore (const juce::File& zipFile, juce::ThreadWithProgressWindow* progress)
{
    if (dataSet == nullptr)
        return false;

    ScopedErrorMessage message (*this);
    ProgressWindowJobProgress jobProgress (progress);
    return finishReplacingOperation (dataSet->restore (zipFile, jobProgress.get()), message, true);
}

bool VantorService::importFromDevice (const juce::File& volumeRoot, juce::ThreadWithProgressWindow* progress)
{
    if (dataSet == nullptr)
        return false;

    ScopedErrorMessage message (*this);
    ProgressWindowJobProgress jobProgress (progress);
    return finishReplacingOperation (dataSet->importFromDevice (volumeRoot, jobProgress.get()), message,
                                     false);
}

VantorService::ExportFacts VantorService::gatherExportFacts (const dataset::WyxModel& model)
{
    ExportFacts facts;
    facts.favoriteBank = model.getFavoriteBank();
    const auto& banks = model.getBankList();

    for (int b = 0; b < juce::jmin (banks.size(), banksInModel); ++b)
    {
        const auto& slots = banks[b]->getSlotList();
        facts.longestBank = juce::jmax (facts.longestBank, slots.getTimeLength());

        for (int s = 0; s < juce::jmin (slots.size(), slotsPerBank); ++s)
        {
            const auto* slot = slots[s];

            if (slot == nullptr || slot->getFile() == juce::File() || !slot->getFile().exists())
                continue;

            const auto& info = slot->getFileInfo();
            facts.slots.push_back ({b + 1, s + 1, slot->isLoop(),
                                    dataset::FrameTime::toSeconds (info.sampleCount, info.sampleRate),
                                    slot->getTimeLength(), slot->getGainDb(), slot->getBpm() / 100.0,
                                    slot->getBeatLength()});
        }
    }

    return facts;
}

void VantorService::logExport (const ExportFacts& facts)
{
    int usedBanks = 0;

    for (int bankNumber = 1; bankNumber <= banksInModel; ++bankNumber)
    {
        int count = 0;
        double seconds = 0.0;

        for (const auto& slot : facts.slots)
        {
            if (slot.bankNumber != bankNumber)
                continue;

            common::UsageLogger::logSlotInfo (bankNumber, slot.slotNumber, slot.loop, slot.fileSeconds,
                                              slot.gainDb, slot.bpm, slot.beats);
            ++count;
            seconds += slot.playSeconds;
        }

        common::UsageLogger::logBankInfo (bankNumber, seconds, count);

        if (count > 0)
            ++usedBanks;
    }

    common::UsageLogger::logBankGeneral (usedBanks, facts.favoriteBank + 1);
}

bool VantorService::exportToDevice (const juce::File& volumeRoot, juce::ThreadWithProgressWindow* progress)
{
    if (dataSet == nullptr || model == nullptr)
        return false;

    ScopedErrorMessage message (*this);
    ProgressWindowJobProgress jobProgress (progress);

    // The model lives on the message thread; its values are read there, once.
    ExportFacts facts;

    if (!dataset::MessageThreadCall::run (jobProgress.get(),
                                          [this, &facts] { facts = gatherExportFacts (*model); }))
        return false;

    if (exceedsBankBudget (facts.longestBank))
        return message.fail (MessageCode::bankTooLong);

    if (!finishWholeSetOperation (dataSet->exportToDevice (volumeRoot, jobProgress.get()), message))
        return false;

    logExport (facts);
    return true;
}

bool VantorService::showExportDialog()
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (exportDriveDialog == nullptr)
        return false;

    exportDriveDialog (this);
    return true;
}

} // namespace vantor::service
