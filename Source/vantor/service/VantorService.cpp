#include "vantor/service/VantorService.h"

#include "common/usage/UsageLogger.h"
#include "vantor/bank/BankViewModel.h"
#include "vantor/browse/BrowseViewModel.h"
#include "vantor/dataset/FrameTime.h"
#include "vantor/service/BpmMath.h"
#include "vantor/service/MessageCode.h"
#include "vantor/service/SlotRange.h"
#include "vantor/slot/SlotPadViewModel.h"
#include "vantor/slot/SlotViewModel.h"
#include "vantor/slot_detail/SlotDetailViewModel.h"

#include <cmath>

namespace vantor::service
{
using dataset::FrameTime;
using dataset::WyxBank;
using dataset::WyxSlot;

namespace
{
constexpr int slotsPerBank = dataset::WyxSlotList::slotCount;
constexpr int banksInModel = dataset::WyxModel::bankCount;

// Indexes are compared unsigned, so a negative one is out of range too.
bool isBelow (int index, int count) noexcept
{
    return count > 0 && (unsigned int)index < (unsigned int)count;
}

// Only the third and fourth SLOT of a BANK may loop.
bool mayLoop (int slotIndex) noexcept
{
    return slotIndex == 2 || slotIndex == 3;
}
} // namespace

//==============================================================================
VantorService::ScopedErrorMessage::~ScopedErrorMessage()
{
    if (code != 0)
        target.sendErrorMessage (code, ISendErrorMessage::error);
}

bool VantorService::ScopedErrorMessage::fail (int errorCode)
{
    code = errorCode;
    return false;
}

//==============================================================================
VantorService::VantorService()
    : VantorService (dataset::createDataSet())
{
}

VantorService::VantorService (std::unique_ptr<dataset::WyxDataSet> ownedDataSet)
    : dataSet (std::move (ownedDataSet))
{
    jassert (dataSet != nullptr);

    if (dataSet != nullptr)
    {
        model = dataSet->getModel();
        bankCollection = dataSet->getBankCollection();
        clipboard = dataSet->getClipboard();
    }
}

VantorService::~VantorService() = default;

void VantorService::setMessagePoster (MessagePoster poster)
{
    messagePoster = std::move (poster);
}

void VantorService::setMessageResolver (MessageResolver* resolver)
{
    messageResolver = resolver;
}

void VantorService::setBrowseViewModel (browse::BrowseViewModel* viewModel)
{
    JUCE_ASSERT_MESSAGE_THREAD
    browseViewModel = viewModel;

    if (browseViewModel != nullptr && bankCollection != nullptr)
        browseViewModel->setBankCollection (bankCollection, false);
}

void VantorService::setBankViewModel (bank::BankViewModel* viewModel)
{
    JUCE_ASSERT_MESSAGE_THREAD
    bankViewModel = viewModel;

    if (bankViewModel != nullptr && model != nullptr)
    {
        pushBankList (false);
        bankViewModel->setCurrentBank (0, false);
    }
}

void VantorService::setSlotViewModel (slot::SlotViewModel* viewModel)
{
    JUCE_ASSERT_MESSAGE_THREAD
    slotViewModel = viewModel;

    if (slotViewModel != nullptr)
        if (auto* firstBank = getModelBank (0))
            slotViewModel->updateFromSlotList (firstBank->getSlotList(), false);
}

void VantorService::setSlotPadViewModel (slot::SlotPadViewModel* viewModel)
{
    JUCE_ASSERT_MESSAGE_THREAD
    slotPadViewModel = viewModel;

    if (slotPadViewModel != nullptr)
        if (auto* firstBank = getModelBank (0))
            slotPadViewModel->updateFromSlotList (firstBank->getSlotList(), false);
}

void VantorService::setSlotDetailViewModel (slot_detail::SlotDetailViewModel* viewModel)
{
    slotDetailViewModel = viewModel;
}

void VantorService::setExportDriveDialog (ExportDriveDialog dialog)
{
    exportDriveDialog = std::move (dialog);
}

void VantorService::addClipboardObserver (ClipboardObserver* observer)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (observer == nullptr)
        return;

    clipboardObservers.add (observer);
    const auto info = clipboardInfo;
    observer->clipboardChanged (info);
}

void VantorService::removeClipboardObserver (ClipboardObserver* observer)
{
    clipboardObservers.remove (observer);
}

void VantorService::sendErrorMessage (int code, int kind)
{
    if (messagePoster != nullptr && messageResolver != nullptr)
        messagePoster (messageResolver->getMessage (code), kind);
}

//==============================================================================
// Shared helpers

bool VantorService::editingViewModelsAttached() const noexcept
{
    return model != nullptr && bankViewModel != nullptr && slotViewModel != nullptr &&
           slotPadViewModel != nullptr && slotDetailViewModel != nullptr;
}

int VantorService::getSelectedSlot() const noexcept
{
    return slotViewModel != nullptr ? slotViewModel->getSelectedSlot() : -1;
}

int VantorService::getCurrentBankIndex() const noexcept
{
    return bankViewModel != nullptr ? bankViewModel->getCurrentBank() : -1;
}

WyxBank* VantorService::getModelBank (int bankIndex) const
{
    if (model == nullptr)
        return nullptr;

    const auto& banks = model->getBankList();
    return isBelow (bankIndex, juce::jmin (banks.size(), banksInModel)) ? banks[bankIndex] : nullptr;
}

WyxBank* VantorService::getCurrentBank() const
{
    return bankViewModel != nullptr ? getModelBank (bankViewModel->getCurrentBank()) : nullptr;
}

WyxSlot* VantorService::getCurrentBankSlot (int slotIndex) const
{
    auto* bank = getCurrentBank();

    if (bank == nullptr)
        return nullptr;

    const auto& slots = bank->getSlotList();
    return isBelow (slotIndex, juce::jmin (slots.size(), slotsPerBank)) ? slots[slotIndex] : nullptr;
}

WyxSlot* VantorService::getEditableSlot (int slotIndex) const
{
    return editingViewModelsAttached() ? getCurrentBankSlot (slotIndex) : nullptr;
}

double VantorService::getBankLength (const dataset::WyxSlotList& slots)
{
    return slots.getTimeLength();
}

double VantorService::getCurrentBankLength() const
{
    auto* bank = getCurrentBank();
    return bank != nullptr ? getBankLength (bank->getSlotList()) : 0.0;
}

juce::String VantorService::cutName (const juce::String& name)
{
    if (name.length() <= maxNameLength)
        return name;

    sendErrorMessage (MessageCode::textTruncated, ISendErrorMessage::notice);
    return name.substring (0, maxNameLength);
}

void VantorService::pushBankList (bool notify)
{
    bankViewModel->updateFromBankList (model->getBankList(), notify);

    if (isBelow (model->getFavoriteBank(), banksInModel))
        bankViewModel->setFavoriteBank (model->getFavoriteBank(), notify);
}

void VantorService::pushCurrentBankTotal()
{
    bankViewModel->setBankTotalTime (getCurrentBankLength(), bank::BankIndex (getCurrentBankIndex()));
}

void VantorService::reloadSlotViews (WyxBank& bank, bool audioFileChanged)
{
    // The SLOT views get another BANK or new content: a BPM and range saved for what they showed
    // must not come back.
    clearSavedBpmState();

    const auto& slots = bank.getSlotList();
    slotViewModel->updateFromSlotList (slots, true);
    slotPadViewModel->updateFromSlotList (slots, true);

    const auto selection = getSelectedSlot();

    if (isBelow (selection, slots.size()) && slots[selection] != nullptr)
        slotDetailViewModel->updateFromSlot (selection, slots[selection], audioFileChanged, true);
}

bool VantorService::slotFilesPresent (const WyxBank& bank)
{
    for (auto* slot : bank.getSlotList().slots)
        if (slot != nullptr && slot->getFile() != juce::File() && !slot->getFile().existsAsFile())
            return false;

    return true;
}

bool VantorService::storeClip (juce::ReferenceCountedObject* clip, int kind, const juce::String& name)
{
    // The new clip is complete before the old one goes, so a failed copy leaves the clipboard
    // and what its observers show as they were.
    if (clip == nullptr)
        return false;

    clipboard->content = clip;
    clipboardInfo = {kind, name};
    const auto info = clipboardInfo;
    clipboardObservers.call ([&info] (ClipboardObserver& observer) { observer.clipboardChanged (info); });
    return true;
}

//==============================================================================
// BANKs and the bank collection

bool VantorService::saveBankToCollection (const int& bankIndex, const int& collectionIndex,
                                          const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);
    auto* bank = getModelBank (bankIndex);

    if (bank == nullptr || bankCollection == nullptr || browseViewModel == nullptr)
        return false;

    if (exceedsBankBudget (getBankLength (bank->getSlotList())))
        return message.fail (MessageCode::bankTooLong);

    if (isBelow (collectionIndex, bankCollection->size()))
    {
        auto stored = bankCollection->getBank (collectionIndex);

        if (stored == nullptr)
            return false;

        // copyFrom makes every copy before it changes the stored BANK: a failure keeps it whole,
        // and a full collection can still have an entry replaced.
        if (!stored->copyFrom (bank))
            return message.fail (MessageCode::fileMissing);

        browseViewModel->updateBankCollectionItem (stored.get(), collectionIndex);
        browseViewModel->selectBankCollectionItem (collectionIndex);
        return true;
    }

    if (bankCollection->size() >= dataset::WyxBankCollection::maxBanks)
        return message.fail (MessageCode::collectionFull);

    if (!slotFilesPresent (*bank))
        return message.fail (MessageCode::fileMissing);

    auto stored = bankCollection->add (bank);

    if (stored == nullptr)
        return false;

    if (name.isNotEmpty() && name != bank->getName())
        stored->setName (name);

    const auto row = bankCollection->indexOf (stored.get());
    browseViewModel->updateBankCollectionItem (stored.get(), row);
    browseViewModel->selectBankCollectionItem (row);
    return true;
}

bool VantorService::moveCollectionBank (const int& from, const int& to)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (bankCollection == nullptr || browseViewModel == nullptr)
        return false;

    const auto size = bankCollection->size();

    if (!isBelow (from, size) || !isBelow (to, size + 1) || to == from || to == from + 1)
        return false;

    const auto newIndex = to <= from ? to : to - 1;
    bankCollection->move (from, newIndex);

    for (int row = juce::jmin (from, to); row < juce::jmax (from + 1, to); ++row)
        if (auto stored = bankCollection->getBank (row))
            browseViewModel->updateBankCollectionItem (stored.get(), row);

    browseViewModel->selectBankCollectionItem (newIndex);
    return true;
}

bool VantorService::deleteCollectionBank (const int& index)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (bankCollection == nullptr || browseViewModel == nullptr || !isBelow (index, bankCollection->size()))
        return false;

    bankCollection->remove (index);
    browseViewModel->updateBankCollectionItem (nullptr, index);
    return true;
}

bool VantorService::renameCollectionBank (const int& index, const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (bankCollection == nullptr || browseViewModel == nullptr)
        return false;

    auto stored = bankCollection->getBank (index);

    if (stored == nullptr)
        return false;

    const auto cut = cutName (name);
    stored->setName (cut);
    browseViewModel->renameBankCollectionItem (cut, index);
    return true;
}

bool VantorService::assignCollectionBank (const int& collectionIndex, const int& bankIndex,
                                          const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);

    if (!editingViewModelsAttached() || bankCollection == nullptr)
        return false;

    auto* bank = getModelBank (bankIndex);
    auto stored = bankCollection->getBank (collectionIndex);

    if (bank == nullptr || stored == nullptr)
        return false;

    if (!slotFilesPresent (*stored))
        return message.fail (MessageCode::fileMissing);

    if (!bank->copyFrom (stored.get()))
        return false;

    if (name.isNotEmpty() && name != stored->getName())
        bank->setName (name);

    bankViewModel->updateBank (bank, bankIndex);
    bankViewModel->setCurrentBank (bankIndex, true);
    reloadSlotViews (*bank, true);
    return true;
}

bool VantorService::setFavoriteBank (const int& bankIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (model == nullptr || bankViewModel == nullptr || !isBelow (bankIndex, banksInModel))
        return false;

    model->setFavoriteBank (bankIndex);
    bankViewModel->setFavoriteBank (bankIndex, true);
    return true;
}

bool VantorService::selectBank (const int& bankIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (!editingViewModelsAttached())
        return false;

    auto* bank = getModelBank (bankIndex);

    if (bank == nullptr)
        return false;

    bankViewModel->setCurrentBank (bankIndex, true);
    reloadSlotViews (*bank, false);
    return true;
}

bool VantorService::swapBanks (const int& a, const int& b)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (model == nullptr || bankViewModel == nullptr || !isBelow (a, banksInModel) ||
        !isBelow (b, banksInModel))
        return false;

    auto* currentBefore = getCurrentBank();
    auto& banks = model->getBankList();

    if (isBelow (a, banks.size()) && isBelow (b, banks.size()))
    {
        banks.banks.swap (a, b);
        banks.sendChangeMessage();
    }

    if (auto* bankA = getModelBank (a))
        bankViewModel->updateBank (bankA, a);

    if (auto* bankB = getModelBank (b))
        bankViewModel->updateBank (bankB, b);

    bankViewModel->setCurrentBank (b, true);

    // The BANK that becomes current is usually the one that was (it moved with the drag); when it
    // is another, the SLOT views must show its SLOTs and the saved BPM state no longer applies.
    auto* currentAfter = getCurrentBank();

    if (currentAfter != currentBefore && currentAfter != nullptr && editingViewModelsAttached())
        reloadSlotViews (*currentAfter, false);

    return true;
}

bool VantorService::clearBank (const int& bankIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (!editingViewModelsAttached())
        return false;

    auto* bank = getModelBank (bankIndex);

    if (bank == nullptr)
        return false;

    bank->clear();
    bankViewModel->updateBank (bank, bankIndex);

    // The SLOT views show the current BANK only; another BANK's SLOTs must not replace them.
    if (bankIndex == getCurrentBankIndex())
        reloadSlotViews (*bank, false);

    return true;
}

bool VantorService::copyBank (const int& bankIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);
    auto* bank = getModelBank (bankIndex);

    if (bank == nullptr || clipboard == nullptr)
        return false;

    if (!storeClip (bank->cloneToTemp().get(), ClipboardInfo::bank, bank->getName()))
        return message.fail (MessageCode::fileMissing);

    return true;
}

bool VantorService::pasteBank (const int& bankIndex, const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (!editingViewModelsAttached() || clipboard == nullptr)
        return false;

    auto* clip = dynamic_cast<WyxBank*> (clipboard->content.get());
    auto* bank = getModelBank (bankIndex);

    if (clip == nullptr || bank == nullptr || !bank->copyFrom (clip))
        return false;

    if (name.isNotEmpty() && name != bank->getName())
        bank->setName (name);

    bankViewModel->updateBank (bank, bankIndex);

    if (bankIndex == getCurrentBankIndex())
        reloadSlotViews (*bank, false);

    return true;
}

bool VantorService::renameBank (const int& bankIndex, const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (bankViewModel == nullptr || slotViewModel == nullptr)
        return false;

    auto* bank = getModelBank (bankIndex);

    if (bank == nullptr)
        return false;

    const auto cut = cutName (name);
    bank->setName (cut);
    bankViewModel->setBankName (cut, bank::BankIndex (bankIndex));
    return true;
}

//==============================================================================
// SLOTs of the current BANK

bool VantorService::assignAudio (const int& slotIndex, const juce::File& file)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);

    auto* slot = getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    common::AudioFileTools::AudioFileInfo info;
    auto reader = slot->createReader (file, &info);

    // A reader without a sample rate cannot tell a length: the file is as unreadable as one that
    // no reader opens.
    if (reader == nullptr || !(info.sampleRate > 0.0))
        return false;

    const auto seconds = FrameTime::toSeconds (info.lengthInSamples, info.sampleRate);

    if (seconds > maxAudioSeconds)
        return message.fail (MessageCode::audioTooLong);

    if (seconds < minAudioSeconds)
        return message.fail (MessageCode::audioTooShort);

    if (!slot->importFromReader (reader, file, info, false))
        return false;

    reader.reset();
    clearSavedBpmState();

    const auto name = slot->getName();
    const auto cut = cutName (name);

    if (cut != name)
        slot->setName (cut);

    if (!mayLoop (slotIndex))
        slot->setLoop (false);

    slotViewModel->updateSlot (slot, slotIndex);
    slotPadViewModel->updateSlot (slot, slotIndex);
    slotViewModel->setSelectedSlot (slotIndex);
    slotDetailViewModel->updateFromSlot (slotIndex, slot, true, true);
    pushCurrentBankTotal();

    const auto factoryFolder = dataSet->getFactorySampleFolder();
    common::UsageLogger::logFileInfo (factoryFolder != juce::File() && file.isAChildOf (factoryFolder),
                                      file.getFileExtension(), info.bitRate, info.sampleRate,
                                      info.bitsPerSample);
    return true;
}

bool VantorService::setSlotBpm (const int& slotIndex, const int& bpmX100)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto* slot = getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    const auto bpm = BpmMath::clampBpm (bpmX100 / 100.0);
    const auto stored = BpmMath::toHundredths (bpm);
    slot->setBpm (stored);
    slotDetailViewModel->setBpm (stored);

    if (!calcBpmMode)
    {
        slotDetailViewModel->setBeats (
            BpmMath::toHundredths (BpmMath::calcBeatsFromBpm (bpm, slot->getTimeLength())));
        return true;
    }

    const auto rate = slot->getFileInfo().sampleRate;

    if (!(rate > 0.0))
        return false;

    const auto range = slot->getRange();
    savedBpmState = {bpm, FrameTime::toSeconds (range.getStart(), rate),
                     FrameTime::toSeconds (range.getEnd(), rate), true};
    return true;
}

bool VantorService::setBpm (const int& bpmX100)
{
    return slotViewModel != nullptr && setSlotBpm (getSelectedSlot(), bpmX100);
}

bool VantorService::setBeats (const int& beatsX100, const bool& requireBeats)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);

    const auto slotIndex = getSelectedSlot();
    auto* slot = getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    auto beats = beatsX100 / 100.0;

    if (beats <= 0.0)
    {
        if (requireBeats)
            return message.fail (MessageCode::beatsRequired);

        slotDetailViewModel->setBeats (0);
        return false;
    }

    if (calcBpmMode)
    {
        beats = BpmMath::beatsWithinBpmLimits (beats, slot->getTimeLength());
        slotDetailViewModel->setBeats (BpmMath::toHundredths (beats));
        return true;
    }

    const auto rate = slot->getFileInfo().sampleRate;

    if (!(rate > 0.0))
        return false;

    // The range follows the beats at the stored BPM.
    const auto bpm = slot->getBpm() / 100.0;
    const auto oldRange = slot->getRange();
    const auto placed = SlotRange::forLength (oldRange.getStart(), BpmMath::beatsToSamples (beats, bpm, rate),
                                              rate, slot->getFileInfo().sampleCount);

    if (placed.corrected)
        beats = BpmMath::calcBeatsFromBpm (bpm, FrameTime::toSeconds (placed.frames.getLength(), rate));

    slot->setRange (placed.frames);
    const auto startMoved = slot->getRange().getStart() != oldRange.getStart();

    if (startMoved)
        slotDetailViewModel->setStartTime (FrameTime::toSeconds (slot->getRange().getStart(), rate));

    slotDetailViewModel->setEndTime (FrameTime::toSeconds (slot->getRange().getEnd(), rate));
    slotDetailViewModel->setBeats (BpmMath::toHundredths (beats));
    pushSlotRange (slotIndex, *slot, startMoved, true);
    return true;
}

bool VantorService::setCalcBpmMode (const bool& on)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (slotViewModel == nullptr || slotDetailViewModel == nullptr)
        return false;

    const auto slotIndex = getSelectedSlot();
    auto* slot = getCurrentBankSlot (slotIndex);

    if (slot == nullptr)
        return false;

    calcBpmMode = on;
    const auto file = slot->getFile();

    if (file != juce::File() && file.exists())
    {
        const auto rate = slot->getFileInfo().sampleRate;

        if (!(rate > 0.0))
            return false;

        const auto range = slot->getRange();

        if (on)
        {
            savedBpmState = {slot->getBpm() / 100.0, FrameTime::toSeconds (range.getStart(), rate),
                             FrameTime::toSeconds (range.getEnd(), rate), true};
        }
        else if (savedBpmState.valid)
        {
            const auto saved = savedBpmState;
            const auto bpm = BpmMath::toHundredths (saved.bpm);
            // Rounded: the seconds were made from these very frames.
            const auto startFrame = (juce::int64)std::llround (rate * saved.startSeconds);
            const auto endFrame =
                juce::jmax (startFrame, (juce::int64)std::llround (rate * saved.endSeconds));

            slot->setBpm (bpm);
            slot->setRange ({startFrame, endFrame});
            slotDetailViewModel->setBpm (bpm);
            slotDetailViewModel->setBeats (BpmMath::toHundredths (
                BpmMath::calcBeatsFromBpm (saved.bpm, saved.endSeconds - saved.startSeconds)));
            slotDetailViewModel->setStartTime (saved.startSeconds);
            slotDetailViewModel->setEndTime (saved.endSeconds);
            clearSavedBpmState();

            // The range went back, so the table, the pad and the BANK total follow it.
            if (bankViewModel != nullptr && slotPadViewModel != nullptr)
                pushSlotRange (slotIndex, *slot, true, true);
        }
    }

    slotDetailViewModel->setCalcBpmMode (on);
    return true;
}

bool VantorService::calculateBpm (const int& beatsX100)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);

    if (slotViewModel == nullptr || slotDetailViewModel == nullptr || !calcBpmMode)
        return false;

    const auto beats = beatsX100 / 100.0;

    if (beats <= 0.0)
        return message.fail (MessageCode::beatsRequired);

    auto* slot = getCurrentBankSlot (getSelectedSlot());

    if (slot == nullptr)
        return false;

    const auto bpm = BpmMath::clampBpm (BpmMath::calcBpmFromBeats (beats, slot->getTimeLength()));
    slotDetailViewModel->notifyBpmCalculated (BpmMath::toHundredths (bpm));
    return true;
}

void VantorService::pushBeatsAtStoredBpm (const WyxSlot& slot)
{
    slotDetailViewModel->setBeats (
        BpmMath::toHundredths (BpmMath::calcBeatsFromBpm (slot.getBpm() / 100.0, slot.getTimeLength())));
}

void VantorService::pushSlotRange (int slotIndex, WyxSlot& slot, bool startMoved, bool endMoved)
{
    const auto rate = slot.getFileInfo().sampleRate;
    const auto range = slot.getRange();
    const slot::SlotIndex index (slotIndex);

    slotViewModel->setSlotLength (slot.getTimeLength(), index);

    if (startMoved)
        slotPadViewModel->setStartTime (FrameTime::toSeconds (range.getStart(), rate), index);

    if (endMoved)
        slotPadViewModel->setEndTime (FrameTime::toSeconds (range.getEnd(), rate), index);

    pushCurrentBankTotal();
}

bool VantorService::setSlotStartTime (const int& slotIndex, const double& seconds)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto* slot = getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    const auto rate = slot->getFileInfo().sampleRate;

    if (!(rate > 0.0))
        return false;

    const auto start = FrameTime::toFrames (seconds, rate);

    if (!SlotRange::isTime (seconds) || start < 0)
        return false;

    const auto fileFrames = slot->getFileInfo().sampleCount;
    const auto oldEnd = slot->getRange().getEnd();
    auto range = SlotRange::withMovedStart (start, oldEnd, SlotRange::minimumLength (rate), fileFrames);

    if (calcBpmMode)
    {
        const auto length =
            SlotRange::lengthWithinBpmLimits (slotDetailViewModel->getBeats(), range.getLength(), rate);

        if (length >= 0)
            range = SlotRange::endingAt (range.getEnd(), length, fileFrames);
    }

    slot->setRange (range);
    const auto stored = slot->getRange();
    const auto endMoved = stored.getEnd() != oldEnd;
    slotDetailViewModel->setStartTime (FrameTime::toSeconds (stored.getStart(), rate));

    if (endMoved)
        slotDetailViewModel->setEndTime (FrameTime::toSeconds (stored.getEnd(), rate));

    if (!calcBpmMode)
        pushBeatsAtStoredBpm (*slot);

    pushSlotRange (slotIndex, *slot, true, endMoved);
    return true;
}

bool VantorService::setStartTime (const double& seconds)
{
    return slotViewModel != nullptr && setSlotStartTime (getSelectedSlot(), seconds);
}

bool VantorService::setSlotEndTime (const int& slotIndex, const double& seconds)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto* slot = getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    const auto rate = slot->getFileInfo().sampleRate;

    if (!(rate > 0.0))
        return false;

    const auto fileFrames = slot->getFileInfo().sampleCount;
    const auto end = FrameTime::toFrames (seconds, rate);

    if (!SlotRange::isTime (seconds) || end > fileFrames)
        return false;

    const auto oldStart = slot->getRange().getStart();
    auto range = SlotRange::withMovedEnd (oldStart, end, SlotRange::minimumLength (rate), fileFrames);

    if (calcBpmMode)
    {
        const auto length =
            SlotRange::lengthWithinBpmLimits (slotDetailViewModel->getBeats(), range.getLength(), rate);

        if (length >= 0)
            range = SlotRange::startingAt (range.getStart(), length, fileFrames);
    }

    slot->setRange (range);
    const auto stored = slot->getRange();
    const auto startMoved = stored.getStart() != oldStart;

    if (startMoved)
        slotDetailViewModel->setStartTime (FrameTime::toSeconds (stored.getStart(), rate));

    slotDetailViewModel->setEndTime (FrameTime::toSeconds (stored.getEnd(), rate));

    if (!calcBpmMode)
        pushBeatsAtStoredBpm (*slot);

    pushSlotRange (slotIndex, *slot, startMoved, true);
    return true;
}

bool VantorService::setEndTime (const double& seconds)
{
    return slotViewModel != nullptr && setSlotEndTime (getSelectedSlot(), seconds);
}

bool VantorService::setSlotTimeRange (const int& slotIndex, const double& start, const double& end)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto* slot = getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    const auto rate = slot->getFileInfo().sampleRate;

    if (!(rate > 0.0))
        return false;

    const auto fileFrames = slot->getFileInfo().sampleCount;

    if (!SlotRange::isTime (start) || !SlotRange::isTime (end))
        return false;

    const auto requestedStart = FrameTime::toFrames (start, rate);

    if (requestedStart < 0 || juce::jmax (requestedStart, FrameTime::toFrames (end, rate)) > fileFrames)
        return false;

    auto seconds = SlotRange::withMinimumLength ({start, end}, rate, fileFrames);
    auto startFrame = FrameTime::toFrames (seconds.start, rate);
    auto endFrame = FrameTime::toFrames (seconds.end, rate);

    if (calcBpmMode)
    {
        const auto length =
            SlotRange::lengthWithinBpmLimits (slotDetailViewModel->getBeats(), endFrame - startFrame, rate);

        if (length >= 0)
        {
            const auto range = SlotRange::startingAt (startFrame, length, fileFrames);
            startFrame = range.getStart();
            endFrame = range.getEnd();
            seconds = {FrameTime::toSeconds (startFrame, rate), FrameTime::toSeconds (endFrame, rate)};
        }
    }

    slot->setRange ({startFrame, juce::jmax (startFrame, endFrame)});

    if (calcBpmMode)
    {
        slotDetailViewModel->setStartTime (FrameTime::toSeconds (startFrame, rate));
        slotDetailViewModel->setEndTime (FrameTime::toSeconds (endFrame, rate));
    }
    else
    {
        slotDetailViewModel->setStartTime (seconds.start);
        slotDetailViewModel->setEndTime (seconds.end);
        slotDetailViewModel->setBeats (BpmMath::toHundredths (
            BpmMath::calcBeatsFromBpm (slot->getBpm() / 100.0, seconds.end - seconds.start)));
    }

    const slot::SlotIndex index (slotIndex);
    slotViewModel->setSlotLength (seconds.end - seconds.start, index);
    slotPadViewModel->setStartTime (seconds.start, index);
    slotPadViewModel->setEndTime (seconds.end, index);
    pushCurrentBankTotal();
    return true;
}

bool VantorService::setTimeRange (const double& start, const double& end)
{
    return slotViewModel != nullptr && setSlotTimeRange (getSelectedSlot(), start, end);
}

bool VantorService::setSlotGainDb (const int& slotIndex, const float& db)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (std::isnan (db))
        return false;

    auto* slot = getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    const auto gain = juce::jmax (juce::jmin (db, 9.0f), -18.0f);
    slot->setGainDb (gain);
    slotPadViewModel->setGainDb (gain, slot::SlotIndex (slotIndex));

    if (slotIndex == getSelectedSlot())
        slotDetailViewModel->setGainDb (gain);

    return true;
}

bool VantorService::setGainDb (const float& db)
{
    return slotViewModel != nullptr && setSlotGainDb (getSelectedSlot(), db);
}

bool VantorService::setSlotLoop (const int& slotIndex, const bool& loop)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (slotViewModel == nullptr || slotPadViewModel == nullptr || slotDetailViewModel == nullptr ||
        !mayLoop (slotIndex))
        return false;

    auto* slot = getCurrentBankSlot (slotIndex);

    if (slot == nullptr)
        return false;

    slot->setLoop (loop);
    slotViewModel->setSlotLoopMode (loop, slot::SlotIndex (slotIndex));
    slotPadViewModel->setLoopMode (loop, slot::SlotIndex (slotIndex));
    slotDetailViewModel->setLoopMode (loop);
    return true;
}

bool VantorService::setLoop (const bool& loop)
{
    return slotViewModel != nullptr && setSlotLoop (getSelectedSlot(), loop);
}

bool VantorService::selectSlot (const int& slotIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (slotViewModel == nullptr || slotDetailViewModel == nullptr)
        return false;

    auto* slot = getCurrentBankSlot (slotIndex);

    if (slot == nullptr)
        return false;

    clearSavedBpmState();
    slotViewModel->setSelectedSlot (slotIndex);
    slotDetailViewModel->updateFromSlot (slotIndex, slot, false, true);
    return true;
}

bool VantorService::swapSlots (const int& a, const int& b)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (!editingViewModelsAttached())
        return false;

    auto* bank = getCurrentBank();

    if (bank == nullptr || getCurrentBankSlot (a) == nullptr || getCurrentBankSlot (b) == nullptr)
        return false;

    auto* selectedBefore = getCurrentBankSlot (getSelectedSlot());
    auto& slots = bank->getSlotList();
    slots.slots.swap (a, b);
    slots.sendChangeMessage();

    for (auto index : {a, b})
        if (!mayLoop (index))
            slots[index]->setLoop (false);

    slotViewModel->updateSlot (slots[a], a);
    slotViewModel->updateSlot (slots[b], b);
    slotPadViewModel->updateSlot (slots[a], a);
    slotPadViewModel->updateSlot (slots[b], b);
    slotViewModel->setSelectedSlot (b);

    // The selection moves to b; the saved BPM state belongs to the SLOT that was selected.
    if (getCurrentBankSlot (b) != selectedBefore)
        clearSavedBpmState();

    return true;
}

void VantorService::pushSlotReplaced (int slotIndex, WyxSlot& slot, bool alwaysReloadDetail)
{
    slotViewModel->updateSlot (&slot, slotIndex);

    const auto selected = slotIndex == getSelectedSlot();

    // The SLOT's content is new: a BPM and range saved for the old content must not come back.
    if (selected)
        clearSavedBpmState();

    if (selected || alwaysReloadDetail)
        slotDetailViewModel->updateFromSlot (slotIndex, &slot, false, true);

    slotPadViewModel->updateSlot (&slot, slotIndex);
    pushCurrentBankTotal();
}

bool VantorService::clearSlot (const int& slotIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD

    auto* slot = getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    slot->clear();
    pushSlotReplaced (slotIndex, *slot, false);
    return true;
}

bool VantorService::cutSlot (const int& slotIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);

    if (clipboard == nullptr)
        return false;

    auto* slot = getEditableSlot (slotIndex);

    if (slot == nullptr)
        return false;

    if (!storeClip (slot->cloneToTemp().get(), ClipboardInfo::slot, slot->getName()))
        return message.fail (MessageCode::fileMissing);

    slot->clear();
    pushSlotReplaced (slotIndex, *slot, false);
    return true;
}

bool VantorService::copySlot (const int& slotIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD
    ScopedErrorMessage message (*this);

    if (model == nullptr || bankViewModel == nullptr || clipboard == nullptr)
        return false;

    auto* slot = getCurrentBankSlot (slotIndex);

    if (slot == nullptr)
        return false;

    if (!storeClip (slot->cloneToTemp().get(), ClipboardInfo::slot, slot->getName()))
        return message.fail (MessageCode::fileMissing);

    return true;
}

bool VantorService::pasteSlot (const int& slotIndex)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (clipboard == nullptr)
        return false;

    auto* clip = dynamic_cast<WyxSlot*> (clipboard->content.get());
    auto* slot = getEditableSlot (slotIndex);

    if (clip == nullptr || slot == nullptr || !slot->copyFrom (clip))
        return false;

    if (!mayLoop (slotIndex))
        slot->setLoop (false);

    pushSlotReplaced (slotIndex, *slot, true);
    return true;
}

bool VantorService::renameSlot (const int& slotIndex, const juce::String& name)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (slotViewModel == nullptr || slotDetailViewModel == nullptr)
        return false;

    auto* slot = getCurrentBankSlot (slotIndex);

    if (slot == nullptr)
        return false;

    const auto cut = cutName (name);
    slot->setName (cut);
    slotViewModel->setSlotName (cut, slot::SlotIndex (slotIndex));
    return true;
}

//==============================================================================
// After a restore or an import (the whole-set operations are in VantorServiceWholeSet.cpp)

void VantorService::refreshAll (bool includeCollection)
{
    JUCE_ASSERT_MESSAGE_THREAD

    if (!editingViewModelsAttached())
        return;

    if (includeCollection)
    {
        if (browseViewModel == nullptr)
            return;

        browseViewModel->setBankCollection (bankCollection, true);
    }

    pushBankList (true);

    // Every SLOT may hold new content now.
    clearSavedBpmState();

    auto* bank = getCurrentBank();

    if (bank == nullptr)
        return;

    slotViewModel->updateFromSlotList (bank->getSlotList(), true);
    slotPadViewModel->updateFromSlotList (bank->getSlotList(), true);

    const auto selection = getSelectedSlot();

    if (auto* slot = getCurrentBankSlot (selection))
        slotDetailViewModel->reloadFromSlot (selection, slot);
}
} // namespace vantor::service
