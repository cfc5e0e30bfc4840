#pragma once

#include "common/reader/AudioReaderFactory.h"

#include <juce_events/juce_events.h>

namespace common::AudioFileToolsImpl
{
// The process-wide reader factory with the program's formats in their fixed order.
// Threads: getInstance creates it under the singleton's lock, so the first call may come from any
// thread; afterwards it is only read.
class TovraAudioReaderFactorySingleton : public quelbix::AudioReaderFactory, public juce::DeletedAtShutdown
{
public:
    TovraAudioReaderFactorySingleton();
    ~TovraAudioReaderFactorySingleton() override;

    JUCE_DECLARE_SINGLETON (TovraAudioReaderFactorySingleton, false)
};
} // namespace common::AudioFileToolsImpl
