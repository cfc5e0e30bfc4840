#pragma once

#include "vantor/dataset/WyxBankCollectionImpl.h"
#include "vantor/dataset/WyxDataSet.h"
#include "vantor/dataset/WyxModelImpl.h"

#include <functional>

namespace vantor::dataset
{
/** The one implementation of WyxDataSet.

    Threads: as for WyxDataSet. The whole-set operations, with beginWholeSetOperation,
    endWholeSetOperation and postReload, run on the worker thread of the progress window. What
    they post to the message thread holds only a copy of the weak reference made in the
    constructor, so it finds nothing to call once the data set is gone. */
class WyxDataSetImpl : public WyxDataSet
{
public:
    /** Creates the model, the collection and an empty clipboard, then loads. */
    WyxDataSetImpl();
    /** Releases the clipboard, then the collection, then the model; the last two save themselves
        when dirty. */
    ~WyxDataSetImpl() override;

    juce::File getFactorySampleFolder() const override;
    juce::File getDataFolder() const override;

    WyxModel* getModel() const override { return model.get(); }
    WyxBankCollection* getBankCollection() const override { return collection.get(); }
    Clipboard* getClipboard() const override { return clipboard.get(); }

    ErrorKind restore (const juce::File& zipFile, JobProgress* progress) override;
    ErrorKind backup (const juce::File& zipFile, JobProgress* progress) override;
    ErrorKind importFromDevice (const juce::File& volumeRoot, JobProgress* progress) override;
    ErrorKind exportToDevice (const juce::File& volumeRoot, JobProgress* progress) override;

    /** Creates the data folder when missing and loads the model and the collection from it. */
    void load();

    /** Has the message thread run load soon. Whoever replaced the files on another thread calls
        this; the message is dropped when the data set is gone by the time it arrives. */
    void postReload();

    /** Saves the model and the collection, stops their autosave and then runs snapshot, all on the
        message thread; the worker waits for it. False when the job was cancelled first (nothing
        was stopped then). */
    bool beginWholeSetOperation (JobProgress* progress, const std::function<void()>& snapshot = {});
    /** Posts the reload (when asked) and then the resumption of the autosave. */
    void endWholeSetOperation (bool reload);

private:
    void setAutosaveSuspended (bool suspended);

    std::unique_ptr<WyxModelImpl> model;
    std::unique_ptr<WyxBankCollectionImpl> collection;
    std::unique_ptr<Clipboard> clipboard;

    JUCE_DECLARE_WEAK_REFERENCEABLE (WyxDataSetImpl)

    // Made on the message thread, so that no other thread ever creates the shared reference.
    juce::WeakReference<WyxDataSetImpl> weakSelf;
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (WyxDataSetImpl)
};
} // namespace vantor::dataset
