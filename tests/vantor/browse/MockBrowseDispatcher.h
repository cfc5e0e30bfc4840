#pragma once

#include "vantor/browse/IBrowseCommandDispatcher.h"

#include <gmock/gmock.h>

namespace glorvak::test
{
// The bank-collection table's dispatcher, so a test sees exactly which commands an action sends.
class MockBrowseDispatcher : public vantor::browse::IBrowseCommandDispatcher
{
public:
    MOCK_METHOD (void, saveBankAs, (const int&, const juce::String&), (override));
    MOCK_METHOD (void, overwriteBank, (const int&, const int&), (override));
    MOCK_METHOD (void, saveBank, (const int&), (override));
    MOCK_METHOD (void, moveBank, (const int&, const int&), (override));
    MOCK_METHOD (void, deleteBank, (const int&), (override));
    MOCK_METHOD (void, renameBank, (const int&, const juce::String&), (override));
};
} // namespace glorvak::test
