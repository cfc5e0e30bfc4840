#pragma once

#include "vantor/dataset/AutosavedJsonFile.h"
#include "vantor/dataset/WyxModel.h"

namespace vantor::dataset
{
/** The one implementation of WyxModel. It listens to its BANK list, every BANK, every SLOT list
    and every SLOT for its whole life. Threads as for WyxModel. */
class WyxModelImpl : public WyxModel, private juce::ChangeListener
{
public:
    WyxModelImpl();
    /** Saves when dirty, then stops listening. */
    ~WyxModelImpl() override;

    const WyxBankList& getBankList() const override { return bankList; }
    WyxBankList& getBankList() override { return bankList; }

    int getFavoriteBank() const override { return favorite; }
    void setFavoriteBank (int index) override;

    void reset() override;
    void clearAll() override;

    juce::String load (const juce::File& newModelFile) override;
    juce::var toVar() const override;
    void save() override;

    bool isDirty() const noexcept { return autosave.isDirty(); }

    /** While suspended nothing is written (not even by save or the destructor) and no save is
        scheduled; changes still mark the model dirty, and resuming schedules the save. */
    void setAutosaveSuspended (bool suspended) { autosave.setSuspended (suspended); }
    /** Where load put a model file it could not understand; empty when it did not. */
    juce::File getKeptAsideFolder() const { return autosave.getKeptAsideFolder(); }

    /** Deletes the WAVs of the samples folder that no SLOT names. Runs only after a save. */
    void deleteUnusedSamples() { autosave.deleteUnusedSamples(); }

    static int limitFavorite (int index);

private:
    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    void listenToEverything (bool shouldListen);

    int favorite = 0;
    WyxBankList bankList;
    AutosavedJsonFile autosave{bankList.banks, [this] { return toVar(); }, saveDelayMs};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WyxModelImpl)
};
} // namespace vantor::dataset
