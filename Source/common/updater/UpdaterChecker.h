#pragma once

#include "common/updater/Updater.h"

namespace common::updater
{
/** The manual check: a progress window with a moving bar and no Cancel button while its thread
    fetches the document; the owner shows the outcome once the thread has ended.
    Threads: run on the checker's thread, which writes only the result; threadComplete on the
    message thread after the thread has ended, which reads it. */
class Updater::Checker : public juce::ThreadWithProgressWindow
{
public:
    explicit Checker (Updater& owner);
    ~Checker() override;

    void run() override;
    void threadComplete (bool userPressedCancel) override;

private:
    Updater& owner; // owns this checker
    std::optional<UpdateInfo> result;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Checker)
};
} // namespace common::updater
