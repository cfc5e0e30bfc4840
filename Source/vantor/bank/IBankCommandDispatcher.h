#pragma once

#include <juce_core/juce_core.h>

namespace vantor::bank
{
/** What the BANK table may ask for. bankIndex is a BANK 0..14 of the working model,
    collectionIndex a row of the bank collection, as the user acted on them; the service checks
    them. An empty name keeps the name the copied BANK brings along. The outcome comes back only
    through BankObserver. */
class IBankCommandDispatcher
{
public:
    virtual ~IBankCommandDispatcher() = default;

    virtual void assignBank (const int& collectionIndex, const int& bankIndex, const juce::String& name) = 0;
    virtual void assignBank (const int& collectionIndex, const int& bankIndex) = 0;
    virtual void setFavorite (const int& bankIndex) = 0;
    virtual void selectBank (const int& bankIndex) = 0;
    virtual void swapBank (const int& fromIndex, const int& toIndex) = 0;
    virtual void deleteBank (const int& bankIndex) = 0;
    virtual void copyBank (const int& bankIndex) = 0;
    virtual void pasteBank (const int& bankIndex, const juce::String& name) = 0;
    virtual void pasteBank (const int& bankIndex) = 0;
    virtual void changeBankName (const int& bankIndex, const juce::String& name) = 0;
    virtual void showExportDialog() = 0;
};
} // namespace vantor::bank
