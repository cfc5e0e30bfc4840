#pragma once

#include "vantor/dataset/WyxBank.h"

#include <memory>

namespace vantor::dataset
{
/** The user's library of up to 100 stored BANKs, each with its own copies of its WAVs, kept in
    "bankcollection.json" with the WAVs in the "samples" folder beside it. It saves itself 3000 ms
    after the last change and then deletes the WAVs no stored BANK names.

    The BANK objects are new after every load: pointers to stored BANKs must not outlive a reload.

    Threads: message thread; backup and restore read its files from their worker thread. */
class WyxBankCollection : public juce::ChangeBroadcaster
{
public:
    static constexpr int maxBanks = 100;
    static constexpr int saveDelayMs = 3000;

    ~WyxBankCollection() override = default;

    virtual WyxBank* const* begin() const = 0;
    virtual WyxBank** begin() = 0;
    virtual WyxBank* const* end() const = 0;
    virtual WyxBank** end() = 0;

    /** Null for an index outside 0 .. size - 1. */
    virtual WyxBank::Ptr getBank (int index) const = 0;
    /** Position of that very object, -1 when it is not stored here. */
    virtual int indexOf (const WyxBank* bank) const = 0;
    virtual int size() const = 0;

    // These three mark the collection changed (and so save it) even when an index is invalid.
    virtual void swap (int a, int b) = 0;
    /** Moves the BANK at from so that it ends at to; a to outside the array means the last place. */
    virtual void move (int from, int to) = 0;
    /** Takes the BANK out and deletes its WAVs at once. */
    virtual void remove (int index) = 0;

    /** Stores a copy at the end; null when the BANK is null, the collection is full or the copy
        fails. */
    virtual WyxBank::Ptr add (const WyxBank* bank) = 0;
    /** Stores a copy at index, or at the end for an index outside the array; null as for add. */
    virtual WyxBank::Ptr insert (int index, const WyxBank* bank) = 0;
    /** Clears every BANK (deleting their WAVs) and empties the collection. */
    virtual void clear() = 0;

    /** Reads the collection file. A file that exists but cannot be understood is moved aside with
        its samples and the collection starts empty. Always returns an empty string. */
    virtual juce::String load (const juce::File& collectionFile) = 0;
    /** Writes the file when it lags behind, then deletes unused WAVs. */
    virtual void save() = 0;
};

/** "bankcollection.json" in the folder "bankcollection" of the user data folder. */
juce::File getBankCollectionFile();

/** The number of entries of the file's "bankcollection" array, not limited to 100; 0 for a missing
    or unreadable file or one of another shape. */
int countCollectionBanks (const juce::File& file);

/** countCollectionBanks of getBankCollectionFile. */
int countCollectionBanks();

/** A new, empty collection, not loaded. */
std::unique_ptr<WyxBankCollection> createBankCollection();
} // namespace vantor::dataset
