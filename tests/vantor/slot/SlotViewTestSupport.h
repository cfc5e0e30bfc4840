#pragma once

#include "vantor/slot/ISlotCommandDispatcher.h"
#include "vantor/slot/ISlotPadCommandDispatcher.h"
#include "vantor/slot_detail/ISlotDetailCommandDispathcer.h"

#include "common/player/AudioPlayer.h"
#include "support/MessagePump.h"
#include "vantor/ui/DialogHelper.h"
#include "vantor/ui/Spotlight.h"

#include <gmock/gmock.h>

namespace glorvak::test
{
// The SLOT views' dispatchers with every operation mocked: a strict mock fails a row of a table
// that causes any other call, or a second one.
class MockSlotDispatcher : public vantor::slot::ISlotCommandDispatcher
{
public:
    MOCK_METHOD (void, assignAudio, (const int&, const juce::File&), (override));
    MOCK_METHOD (void, selectSlot, (const int&), (override));
    MOCK_METHOD (void, swapSlot, (const int&, const int&), (override));
    MOCK_METHOD (void, deleteSlot, (const int&), (override));
    MOCK_METHOD (void, cutSlot, (const int&), (override));
    MOCK_METHOD (void, copySlot, (const int&), (override));
    MOCK_METHOD (void, pasteSlot, (const int&), (override));
    MOCK_METHOD (void, changeSlotName, (const int&, const juce::String&), (override));
};

class MockSlotPadDispatcher : public vantor::slot::ISlotPadCommandDispatcher
{
public:
    MOCK_METHOD (void, assignAudio, (const int&, const juce::File&), (override));
    MOCK_METHOD (void, changeGainDb, (const int&, const float&), (override));
};

class MockSlotDetailDispatcher : public vantor::slot_detail::ISlotDetailCommandDispathcer
{
public:
    MOCK_METHOD (void, changeBpm, (const int&), (override));
    MOCK_METHOD (void, changeBeats, (const int&), (override));
    MOCK_METHOD (void, halveBeats, (const int&), (override));
    MOCK_METHOD (void, doubleBeats, (const int&), (override));
    MOCK_METHOD (void, changeStartTime, (const double&), (override));
    MOCK_METHOD (void, changeEndTime, (const double&), (override));
    MOCK_METHOD (void, changeTimeRange, (const double&, const double&), (override));
    MOCK_METHOD (void, changeGainDb, (const float&), (override));
    MOCK_METHOD (void, changeLoopMode, (const bool&), (override));
    MOCK_METHOD (void, changeCalcBpmMode, (const bool&), (override));
    MOCK_METHOD (void, calcBpm, (const int&), (override));
};

// Runs every message posted so far (a button's click, a slider's asynchronous report): the loop
// handles messages in order, so the marker posted last runs after them.
inline void flushMessages()
{
    bool done = false;
    juce::MessageManager::callAsync ([&done] { done = true; });
    ASSERT_TRUE (pumpMessagesUntil ([&done] { return done; }));
}

// Clicks a button as the user does and waits until the click has been handled.
inline void click (juce::Button& button)
{
    button.triggerClick();
    flushMessages();
}

// The process-wide objects that the views create on first use, deleted at the end of a test so
// that the leak checks see nothing of them.
inline void releaseViewSingletons()
{
    vantor::ui::DialogHelper::releaseResources();
    vantor::ui::Spotlight::deleteInstance();
    common::player::AudioPlayer::deleteInstance();
}

// A mouse event of the main mouse source on a component, as JUCE sends it.
inline juce::MouseEvent mouseAt (juce::Component& component, juce::Point<float> position,
                                 juce::Point<float> downPosition, juce::ModifierKeys mods = {},
                                 bool dragged = false)
{
    const auto now = juce::Time::getCurrentTime();
    return juce::MouseEvent (juce::Desktop::getInstance().getMainMouseSource(), position, mods, 0.0f, 0.0f,
                             0.0f, 0.0f, 0.0f, &component, &component, now, downPosition, now, 1, dragged);
}

} // namespace glorvak::test
