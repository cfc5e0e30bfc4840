#pragma once

#include "common/reader/FileReader/FileReader.h"
#include "common/reader/FileReader/PcmFrameReader.h"
#include "common/reader/IIndividualReaderFactory.h"

namespace quelbix
{
// Reader of AIFF and AIFC files with 16- or 24-bit integer PCM ("NONE", "twos", "in24" big-endian,
// "sowt" little-endian), one or two channels, at 44100 or 48000 Hz. Every other file is rejected
// so that the next reader of the factory may take it.
class FileReadAiff : public FileReader
{
public:
    FileReadAiff() = default;
    ~FileReadAiff() override;

    bool analyze() override;
    void read (int startSample, StereoSample* dest, int numFrames) override;

    // The 80-bit IEEE 754 extended value of an AIFF sample rate as a double.
    static double extendedToDouble (const juce::uint8 bytes[10]) noexcept;

private:
    juce::int64 dataStart = 0; // stream position of the first sample byte
    bool swapBytes = true;     // samples are big-endian unless the file says "sowt"
    PcmFrameReader frames;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FileReadAiff)
};

class FileReadAiffFactory : public IIndividualReaderFactory
{
public:
    std::unique_ptr<AbstractReader> createReader (const juce::String& path) override;
};
} // namespace quelbix
