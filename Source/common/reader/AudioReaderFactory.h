#pragma once

#include "common/reader/IIndividualReaderFactory.h"

namespace quelbix
{
// Picks a reader for a file: asks its per-format factories in registration order and returns the
// first reader that opens the file. Files with an extension that several formats share (".M4A",
// ".WAV") are thus tried by each of them in turn.
// Not locked: fill it once, then createReader may be called from one thread at a time.
class AudioReaderFactory
{
public:
    AudioReaderFactory() = default;
    virtual ~AudioReaderFactory() = default;

    // Appends the factory and takes ownership. Null is ignored, and so is a factory object that is
    // already registered.
    void addFactory (IIndividualReaderFactory* factory);

    // Registers the program's factories in their fixed order: WAV, AIFF, MP3, MP4, AAC, FLAC,
    // ALAC, then the JUCE format wrapper as the last resort.
    void addDefaultFactories();

    // An opened reader, or null when no registered format opens the file. Each reader that is
    // tried and rejects the file prints its own diagnostic line.
    std::unique_ptr<AbstractReader> createReader (const juce::String& path);

    int getNumFactories() const noexcept { return factories.size(); }

private:
    juce::OwnedArray<IIndividualReaderFactory> factories;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioReaderFactory)
};
} // namespace quelbix
