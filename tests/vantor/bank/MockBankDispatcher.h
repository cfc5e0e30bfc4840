#pragma once

#include "vantor/bank/IBankCommandDispatcher.h"

#include <gmock/gmock.h>

namespace glorvak::test
{
// The BANK table's dispatcher, so a test sees exactly which commands a user action sends.
class MockBankDispatcher : public vantor::bank::IBankCommandDispatcher
{
public:
    MOCK_METHOD (void, assignBank, (const int&, const int&, const juce::String&), (override));
    MOCK_METHOD (void, assignBank, (const int&, const int&), (override));
    MOCK_METHOD (void, setFavorite, (const int&), (override));
    MOCK_METHOD (void, selectBank, (const int&), (override));
    MOCK_METHOD (void, swapBank, (const int&, const int&), (override));
    MOCK_METHOD (void, deleteBank, (const int&), (override));
    MOCK_METHOD (void, copyBank, (const int&), (override));
    MOCK_METHOD (void, pasteBank, (const int&, const juce::String&), (override));
    MOCK_METHOD (void, pasteBank, (const int&), (override));
    MOCK_METHOD (void, changeBankName, (const int&, const juce::String&), (override));
    MOCK_METHOD (void, showExportDialog, (), (override));
};
} // namespace glorvak::test
