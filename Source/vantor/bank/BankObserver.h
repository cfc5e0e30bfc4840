#pragma once

#include "vantor/bank/BankListState.h"

#include <memory>

namespace vantor::bank
{
/** Told synchronously, on the message thread, of every change of the BANK list view model. An
    observer may call the dispatcher from inside a notification. */
class BankObserver
{
public:
    virtual ~BankObserver() = default;

    /** The snapshot is deleted after the call; copy what is needed. */
    virtual void bankListChanged (const std::unique_ptr<BankListState>& state) = 0;
    virtual void bankChanged (int bankIndex, const juce::String& name, double totalSeconds) = 0;
    virtual void bankNameChanged (int bankIndex, const juce::String& name) = 0;
    virtual void bankTotalTimeChanged (int bankIndex, double totalSeconds) = 0;
    virtual void favoriteBankChanged (int bankIndex) = 0;
    virtual void currentBankChanged (int bankIndex) = 0;
};
} // namespace vantor::bank
