#pragma once

#include "common/reader/FileReader/FileReader.h"
#include "common/reader/FileReader/PcmFrameReader.h"
#include "common/reader/IIndividualReaderFactory.h"

namespace quelbix
{
// Reader of RIFF WAVE files with 16- or 24-bit integer PCM, one or two channels, at 44100 or
// 48000 Hz. Every other WAV is rejected so that the next reader of the factory may take it.
class FileReadWav : public FileReader
{
public:
    FileReadWav() = default;
    ~FileReadWav() override;

    bool analyze() override;
    void read (int startSample, StereoSample* dest, int numFrames) override;

private:
    juce::int64 dataStart = 0; // stream position of the first sample byte
    PcmFrameReader frames;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FileReadWav)
};

class FileReadWavFactory : public IIndividualReaderFactory
{
public:
    std::unique_ptr<AbstractReader> createReader (const juce::String& path) override;
};
} // namespace quelbix
