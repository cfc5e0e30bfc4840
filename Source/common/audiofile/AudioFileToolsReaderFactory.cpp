#include "common/audiofile/AudioFileToolsReaderFactory.h"

namespace common::AudioFileToolsImpl
{
JUCE_IMPLEMENT_SINGLETON (TovraAudioReaderFactorySingleton)

TovraAudioReaderFactorySingleton::TovraAudioReaderFactorySingleton()
{
    addDefaultFactories();
}

TovraAudioReaderFactorySingleton::~TovraAudioReaderFactorySingleton()
{
    clearSingletonInstance();
}
} // namespace common::AudioFileToolsImpl
