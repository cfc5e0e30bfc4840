#pragma once

#include "vantor/dataset/WyxSlotList.h"

namespace vantor::dataset
{
/** A named group of exactly four SLOTs, all sharing the BANK's folder. Broadcasts every change of
    its own content; its SLOTs announce their own changes.

    Threads: message thread; the whole-set operations read BANKs from their worker thread while a
    modal progress window blocks the user interface. */
class WyxBank : public juce::ReferenceCountedObject, public juce::ChangeBroadcaster
{
public:
    using Ptr = juce::ReferenceCountedObjectPtr<WyxBank>;

    ~WyxBank() override = default;

    virtual const WyxSlotList& getSlotList() const = 0;
    virtual WyxSlotList& getSlotList() = 0;

    virtual juce::String getName() const = 0;
    virtual void setName (const juce::String& name) = 0;

    /** Makes this BANK a copy of the other: its name and four SLOTs with their own WAV copies. All
        four copies are made before anything of this BANK changes, so a failure leaves it as it
        was. */
    virtual bool copyFrom (const WyxBank* other) = 0;
    /** A new BANK in the folder holding a copy of this one; null when the copy fails. */
    virtual Ptr clone (const juce::File& folder) const = 0;
    /** clone into the program's temporary folder. */
    virtual Ptr cloneToTemp() const = 0;

    /** Empties the folder and the name and resets every SLOT; WAVs stay on disk. */
    virtual void reset() = 0;
    /** Empties the name and clears every SLOT, deleting their WAVs; the folder stays. */
    virtual void clear() = 0;
    /** Resets the BANK and gives it and its SLOTs the folder; WAVs stay on disk. */
    virtual void setFolder (const juce::File& folder) = 0;

    /** Reads a bank object; "bank_number" is not read. Always returns an empty string. */
    virtual juce::String fromVar (const juce::var& bankObject, const juce::File& folder) = 0;
    virtual juce::var toVar (int bankNumber) const = 0;
};

/** A new BANK with no folder, no name and four empty SLOTs. */
WyxBank::Ptr createBank();
} // namespace vantor::dataset
