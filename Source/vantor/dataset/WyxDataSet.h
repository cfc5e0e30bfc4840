#pragma once

#include "vantor/dataset/ErrorKind.h"
#include "vantor/dataset/WyxBankCollection.h"
#include "vantor/dataset/WyxModel.h"

#include <memory>

namespace vantor::dataset
{
/** The root of the sample data: owns the working model, the bank collection and the service's
    clipboard, knows the folders the data lives in and loads everything at start.

    Threads: created, loaded, reloaded and destroyed on the message thread, where every other use of
    the model, the collection and the clipboard happens too. */
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
};

/** A new data set, loaded from the user data folder. */
std::unique_ptr<WyxDataSet> createDataSet();
} // namespace vantor::dataset
