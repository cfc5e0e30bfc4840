#pragma once

#include <juce_core/juce_core.h>

namespace juce
{
class ThreadWithProgressWindow;
}

namespace vantor::service
{
/** Every user action on the data goes through these operations. Each returns true when it did its
    work. Indexes are zero-based (BANK 0..14, SLOT 0..3, collection row 0..size-1) and a negative
    index is out of range. BPM and beats are integers times 100, times are seconds, gain is dB.
    The operations without an index work on the SLOT selected in the SLOT view model.
    Threads: message thread, except backup, restore, importFromDevice and exportToDevice, which
    run on the worker thread of a progress window. */
class IVantorDataMediator
{
public:
    virtual ~IVantorDataMediator() = default;

    // BANKs and the bank collection
    /** collectionIndex below the collection size replaces that stored BANK; -1 appends. */
    virtual bool saveBankToCollection (const int& bankIndex, const int& collectionIndex,
                                       const juce::String& name) = 0;
    /** to is an insert position between rows (0..size). */
    virtual bool moveCollectionBank (const int& from, const int& to) = 0;
    virtual bool deleteCollectionBank (const int& index) = 0;
    virtual bool renameCollectionBank (const int& index, const juce::String& name) = 0;
    virtual bool assignCollectionBank (const int& collectionIndex, const int& bankIndex,
                                       const juce::String& name) = 0;
    virtual bool setFavoriteBank (const int& bankIndex) = 0;
    virtual bool selectBank (const int& bankIndex) = 0;
    virtual bool swapBanks (const int& a, const int& b) = 0;
    virtual bool clearBank (const int& bankIndex) = 0;
    virtual bool copyBank (const int& bankIndex) = 0;
    virtual bool pasteBank (const int& bankIndex, const juce::String& name) = 0;
    virtual bool renameBank (const int& bankIndex, const juce::String& name) = 0;

    // SLOTs of the current BANK
    virtual bool assignAudio (const int& slotIndex, const juce::File& file) = 0;
    virtual bool setSlotBpm (const int& slotIndex, const int& bpmX100) = 0;
    virtual bool setBpm (const int& bpmX100) = 0;
    virtual bool setBeats (const int& beatsX100, const bool& requireBeats) = 0;
    virtual bool setCalcBpmMode (const bool& on) = 0;
    virtual bool calculateBpm (const int& beatsX100) = 0;
    virtual bool setSlotStartTime (const int& slotIndex, const double& seconds) = 0;
    virtual bool setStartTime (const double& seconds) = 0;
    virtual bool setSlotEndTime (const int& slotIndex, const double& seconds) = 0;
    virtual bool setEndTime (const double& seconds) = 0;
    virtual bool setSlotTimeRange (const int& slotIndex, const double& start, const double& end) = 0;
    virtual bool setTimeRange (const double& start, const double& end) = 0;
    virtual bool setSlotGainDb (const int& slotIndex, const float& db) = 0;
    virtual bool setGainDb (const float& db) = 0;
    virtual bool setSlotLoop (const int& slotIndex, const bool& loop) = 0;
    virtual bool setLoop (const bool& loop) = 0;
    virtual bool selectSlot (const int& slotIndex) = 0;
    virtual bool swapSlots (const int& a, const int& b) = 0;
    virtual bool clearSlot (const int& slotIndex) = 0;
    virtual bool cutSlot (const int& slotIndex) = 0;
    virtual bool copySlot (const int& slotIndex) = 0;
    virtual bool pasteSlot (const int& slotIndex) = 0;
    virtual bool renameSlot (const int& slotIndex, const juce::String& name) = 0;

    // The whole set
    virtual bool backup (const juce::File& zipFile, juce::ThreadWithProgressWindow* progress) = 0;
    virtual bool restore (const juce::File& zipFile, juce::ThreadWithProgressWindow* progress) = 0;
    virtual bool importFromDevice (const juce::File& volumeRoot,
                                   juce::ThreadWithProgressWindow* progress) = 0;
    /** Opens the drive dialog and returns at once. */
    virtual bool showExportDialog() = 0;
    virtual bool exportToDevice (const juce::File& volumeRoot, juce::ThreadWithProgressWindow* progress) = 0;
};
} // namespace vantor::service
