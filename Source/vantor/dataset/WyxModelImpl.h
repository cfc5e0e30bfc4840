#pragma once

#include "vantor/dataset/WyxModel.h"

namespace vantor::dataset
{
/** The one implementation of WyxModel. It listens to its BANK list, every BANK, every SLOT list
    and every SLOT for its whole life. Threads as for WyxModel. */
class WyxModelImpl : public WyxModel, private juce::ChangeListener, private juce::Timer
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

    bool isDirty() const noexcept { return dirty; }

    /** While suspended nothing is written (not even by save or the destructor) and no save is
        scheduled; changes still mark the model dirty, and resuming schedules the save. */
    void setAutosaveSuspended (bool suspended);
    /** Where load put a model file it could not understand; empty when it did not. */
    juce::File getKeptAsideFolder() const { return keptAsideFolder; }

    /** Deletes the WAVs of the samples folder that no SLOT names. Runs only after a save. */
    void deleteUnusedSamples();

    static int limitFavorite (int index);

private:
    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    void timerCallback() override;
    void markDirty();
    void listenToEverything (bool shouldListen);
    juce::File getFolder() const { return modelFile.getParentDirectory(); }

    juce::File modelFile;
    int favorite = 0;
    WyxBankList bankList;
    bool dirty = false;
    bool autosaveSuspended = false;

    // Set when the file could neither be read nor moved aside: writing would destroy it.
    bool writingBlocked = false;
    juce::File keptAsideFolder;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WyxModelImpl)
};
} // namespace vantor::dataset
