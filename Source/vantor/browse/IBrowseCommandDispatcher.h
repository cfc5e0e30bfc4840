#pragma once

#include <juce_core/juce_core.h>

namespace vantor::browse
{
/** What the bank-collection table may ask for. bankIndex is a BANK 0..14 of the working model,
    the other indexes rows of the collection. The outcome comes back only through
    BrowseObserver. */
class IBrowseCommandDispatcher
{
public:
    virtual ~IBrowseCommandDispatcher() = default;

    /** Stores the BANK as a new entry named name. */
    virtual void saveBankAs (const int& bankIndex, const juce::String& name) = 0;
    /** Replaces the stored BANK at collectionIndex. */
    virtual void overwriteBank (const int& bankIndex, const int& collectionIndex) = 0;
    /** Stores the BANK as a new entry under its own name. */
    virtual void saveBank (const int& bankIndex) = 0;
    /** to is an insert position between rows, 0..count. */
    virtual void moveBank (const int& from, const int& to) = 0;
    virtual void deleteBank (const int& index) = 0;
    virtual void renameBank (const int& index, const juce::String& name) = 0;
};
} // namespace vantor::browse
