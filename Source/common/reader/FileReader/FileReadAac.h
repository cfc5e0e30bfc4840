#pragma once

#include "common/reader/FileReader/AbstractFileReadPlatform.h"
#include "common/reader/IIndividualReaderFactory.h"

namespace quelbix
{
// Reader of raw AAC in ADTS framing (".aac"). It scans the frame headers itself for rate,
// channels and length, and decodes through the platform decoder.
class FileReadAac : public AbstractFileReadPlatform
{
public:
    // What a scan of ADTS frames found.
    struct AdtsScan
    {
        std::vector<FrameIndexEntry> frames;
        juce::int32 sampleRate = 0;
        juce::int32 numChannels = 0;
        juce::int32 samplesPerFrame = 0;
        juce::int32 lengthInSamples = 0;
        bool sbr = false;
    };

    // The longest run of frames indexed; the length in samples stays within 32 bits as well.
    static constexpr size_t maxFrames = 1 << 23;

    // Walks the stream from its start: an ID3v2 tag is skipped, bytes that start no header are
    // skipped one at a time, and "TAG" or ADIF end the walk. False when a header is refused
    // (a rate above 48000 Hz or more than two channels) or an ID3 size cannot be read.
    static bool scanAdts (juce::InputStream& input, AdtsScan& scan);

    bool analyze() override;
};

class FileReadAacFactory : public IIndividualReaderFactory
{
public:
    std::unique_ptr<AbstractReader> createReader (const juce::String& path) override;
};
} // namespace quelbix
