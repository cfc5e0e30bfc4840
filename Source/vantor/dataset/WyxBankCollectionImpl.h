#pragma once

#include "vantor/dataset/AutosavedJsonFile.h"
#include "vantor/dataset/WyxBankCollection.h"

namespace vantor::dataset
{
/** The one implementation of WyxBankCollection. It listens to each stored BANK (not to their
    SLOTs) while the BANK is stored. Threads as for WyxBankCollection. */
class WyxBankCollectionImpl : public WyxBankCollection, private juce::ChangeListener
{
public:
    WyxBankCollectionImpl();
    /** Saves when dirty, then releases the BANKs; files stay. */
    ~WyxBankCollectionImpl() override;

    WyxBank* const* begin() const override { return banks.begin(); }
    WyxBank** begin() override { return banks.begin(); }
    WyxBank* const* end() const override { return banks.end(); }
    WyxBank** end() override { return banks.end(); }

    WyxBank::Ptr getBank (int index) const override;
    int indexOf (const WyxBank* bank) const override;
    int size() const override { return banks.size(); }

    void swap (int a, int b) override;
    void move (int from, int to) override;
    void remove (int index) override;
    WyxBank::Ptr add (const WyxBank* bank) override;
    WyxBank::Ptr insert (int index, const WyxBank* bank) override;
    void clear() override;

    juce::String load (const juce::File& newCollectionFile) override;
    void save() override;

    bool isDirty() const noexcept { return autosave.isDirty(); }

    /** While suspended nothing is written (not even by save or the destructor) and no save is
        scheduled; changes still mark the collection dirty, and resuming schedules the save. */
    void setAutosaveSuspended (bool suspended) { autosave.setSuspended (suspended); }
    /** Where load put a collection file it could not understand, or the entries beyond the
        hundredth; empty when it did neither. */
    juce::File getKeptAsideFolder() const { return autosave.getKeptAsideFolder(); }

    /** Deletes the WAVs of the samples folder that no stored BANK names. Runs only after a save. */
    void deleteUnusedSamples() { autosave.deleteUnusedSamples(); }

private:
    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    void changed();
    void releaseAll();
    bool keepOverflowAside (const juce::Array<juce::var>& bankObjects);
    juce::var toVar() const;
    juce::File getFolder() const { return autosave.getFolder(); }

    juce::ReferenceCountedArray<WyxBank> banks;
    AutosavedJsonFile autosave{banks, [this] { return toVar(); }, saveDelayMs};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WyxBankCollectionImpl)
};
} // namespace vantor::dataset
