#include "common/reader/AudioReaderFactory.h"

#include "common/reader/FileReader/FileReadAac.h"
#include "common/reader/FileReader/FileReadAiff.h"
#include "common/reader/FileReader/FileReadAlac.h"
#include "common/reader/FileReader/FileReadFlac.h"
#include "common/reader/FileReader/FileReadMp3.h"
#include "common/reader/FileReader/FileReadMp4.h"
#include "common/reader/FileReader/FileReadWav.h"
#include "common/reader/JuceAudioReaderWrapper.h"

namespace quelbix
{
namespace
{
template <typename Factory>
IIndividualReaderFactory* make()
{
    return new Factory();
}

using FactoryMaker = IIndividualReaderFactory* (*)();

// The order decides which reader gets a file first: ".M4A"/".MP4" go to the AAC reader before
// the ALAC reader, and the JUCE wrapper takes whatever the program's own readers reject.
// clang-format off
const FactoryMaker defaultFactories[] = {
    make<FileReadWavFactory>,
    make<FileReadAiffFactory>,
    make<FileReadMp3Factory>,
    make<FileReadMp4Factory>,
    make<FileReadAacFactory>,
    make<FileReadFlacFactory>,
    make<FileReadAlacFactory>,
    make<JuceAudioReaderFactory>,
};
// clang-format on
} // namespace

void AudioReaderFactory::addFactory (IIndividualReaderFactory* factory)
{
    if (factory != nullptr && !factories.contains (factory))
        factories.add (factory);
}

void AudioReaderFactory::addDefaultFactories()
{
    for (auto maker : defaultFactories)
        addFactory (maker());
}

std::unique_ptr<AbstractReader> AudioReaderFactory::createReader (const juce::String& path)
{
    for (auto* factory : factories)
    {
        if (auto reader = factory->createReader (path))
            if (reader->open (path))
                return reader;
    }

    return nullptr;
}
} // namespace quelbix
