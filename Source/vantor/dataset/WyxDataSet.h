#pragma once

#include "vantor/dataset/ErrorKind.h"
#include "vantor/dataset/JobProgress.h"
#include "vantor/dataset/WyxBankCollection.h"
#include "vantor/dataset/WyxModel.h"

#include <memory>

namespace vantor::dataset
{
/** The root of the sample data: owns the working model, the bank collection and the service's
    clipboard, knows the folders the data lives in and loads everything at start.

    Threads: created, loaded, reloaded and destroyed on the message thread, where every other use of
    the model, the collection and the clipboard happens too. The four whole-set operations run on
    the worker thread of a progress window (or on the message thread); they read the model and the
    collection only through calls they hand to the message thread. */
class WyxDataSet
{
public:
    /** The service's clipboard: a temporary copy of a WyxBank or a WyxSlot, told apart by a dynamic
        type test, or nothing. */
    struct Clipboard
    {
        juce::ReferenceCountedObjectPtr<juce::ReferenceCountedObject> content;
    };

    virtual ~WyxDataSet() = default;

    virtual juce::File getFactorySampleFolder() const = 0;
    virtual juce::File getDataFolder() const = 0;

    // Never null; the same objects for the whole life of the data set, across reloads.
    virtual WyxModel* getModel() const = 0;
    virtual WyxBankCollection* getBankCollection() const = 0;
    virtual Clipboard* getClipboard() const = 0;

    // The whole-set operations. Each returns empty on success or an ErrorKind. The progress, when
    // given, is polled for Cancel ("cancelled") and shows how far the job is. For their whole
    // length the model and the collection do not save themselves: both are saved on the message
    // thread before the job starts, and saving resumes after the reload that ends it. Restore and
    // import end, in every outcome, by posting the reload of the model and the collection.

    /** Replaces the model and the collection by those of the zip file. */
    virtual ErrorKind restore (const juce::File& zipFile, JobProgress* progress) = 0;
    /** Writes the model and the collection with their WAVs into the zip file. */
    virtual ErrorKind backup (const juce::File& zipFile, JobProgress* progress) = 0;
    /** Replaces the model by the unit's folder on the volume. */
    virtual ErrorKind importFromDevice (const juce::File& volumeRoot, JobProgress* progress) = 0;
    /** Writes the model into the unit's folder on the volume. */
    virtual ErrorKind exportToDevice (const juce::File& volumeRoot, JobProgress* progress) = 0;
};

/** A new data set, loaded from the user data folder. */
std::unique_ptr<WyxDataSet> createDataSet();
} // namespace vantor::dataset
