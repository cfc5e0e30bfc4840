#pragma once

#include "vantor/service/IVantorDataMediator.h"

#include <gmock/gmock.h>

namespace glorvak::test
{
// The service interface with every operation mocked; unexpected calls fail the test when the
// mock is strict.
class MockVantorDataMediator : public vantor::service::IVantorDataMediator
{
public:
    MOCK_METHOD (bool, saveBankToCollection, (const int&, const int&, const juce::String&), (override));
    MOCK_METHOD (bool, moveCollectionBank, (const int&, const int&), (override));
    MOCK_METHOD (bool, deleteCollectionBank, (const int&), (override));
    MOCK_METHOD (bool, renameCollectionBank, (const int&, const juce::String&), (override));
    MOCK_METHOD (bool, assignCollectionBank, (const int&, const int&, const juce::String&), (override));
    MOCK_METHOD (bool, setFavoriteBank, (const int&), (override));
    MOCK_METHOD (bool, selectBank, (const int&), (override));
    MOCK_METHOD (bool, swapBanks, (const int&, const int&), (override));
    MOCK_METHOD (bool, clearBank, (const int&), (override));
    MOCK_METHOD (bool, copyBank, (const int&), (override));
    MOCK_METHOD (bool, pasteBank, (const int&, const juce::String&), (override));
    MOCK_METHOD (bool, renameBank, (const int&, const juce::String&), (override));

    MOCK_METHOD (bool, assignAudio, (const int&, const juce::File&), (override));
    MOCK_METHOD (bool, setSlotBpm, (const int&, const int&), (override));
    MOCK_METHOD (bool, setBpm, (const int&), (override));
    MOCK_METHOD (bool, setBeats, (const int&, const bool&), (override));
    MOCK_METHOD (bool, setCalcBpmMode, (const bool&), (override));
    MOCK_METHOD (bool, calculateBpm, (const int&), (override));
    MOCK_METHOD (bool, setSlotStartTime, (const int&, const double&), (override));
    MOCK_METHOD (bool, setStartTime, (const double&), (override));
    MOCK_METHOD (bool, setSlotEndTime, (const int&, const double&), (override));
    MOCK_METHOD (bool, setEndTime, (const double&), (override));
    MOCK_METHOD (bool, setSlotTimeRange, (const int&, const double&, const double&), (override));
    MOCK_METHOD (bool, setTimeRange, (const double&, const double&), (override));
    MOCK_METHOD (bool, setSlotGainDb, (const int&, const float&), (override));
    MOCK_METHOD (bool, setGainDb, (const float&), (override));
    MOCK_METHOD (bool, setSlotLoop, (const int&, const bool&), (override));
    MOCK_METHOD (bool, setLoop, (const bool&), (override));
    MOCK_METHOD (bool, selectSlot, (const int&), (override));
    MOCK_METHOD (bool, swapSlots, (const int&, const int&), (override));
    MOCK_METHOD (bool, clearSlot, (const int&), (override));
    MOCK_METHOD (bool, cutSlot, (const int&), (override));
    MOCK_METHOD (bool, copySlot, (const int&), (override));
    MOCK_METHOD (bool, pasteSlot, (const int&), (override));
    MOCK_METHOD (bool, renameSlot, (const int&, const juce::String&), (override));

    MOCK_METHOD (bool, backup, (const juce::File&, juce::ThreadWithProgressWindow*), (override));
    MOCK_METHOD (bool, restore, (const juce::File&, juce::ThreadWithProgressWindow*), (override));
    MOCK_METHOD (bool, importFromDevice, (const juce::File&, juce::ThreadWithProgressWindow*), (override));
    MOCK_METHOD (bool, showExportDialog, (), (override));
    MOCK_METHOD (bool, exportToDevice, (const juce::File&, juce::ThreadWithProgressWindow*), (override));
};
} // namespace glorvak::test
