#pragma once

#include "common/reader/FileReader/FileReader.h"
#include "common/reader/IIndividualReaderFactory.h"

#include <FLAC/stream_decoder.h>

namespace quelbix
{
// Reader of FLAC files of at most 48000 Hz with one or two channels whose header declares the
// number of samples. It drives libFLAC's stream decoder over the reader's own input stream.
// Other FLAC files are rejected so that the factory's later readers may take them.
class FileReadFlac : public FileReader
{
public:
    FileReadFlac() = default;
    ~FileReadFlac() override;

    bool analyze() override;
    void read (int startSample, StereoSample* dest, int numFrames) override;
    // FLAC frames decode on their own, and libFLAC lands on any sample exactly.
    std::unique_ptr<AbstractReader> openAnother() const override { return openAnotherOfType<FileReadFlac>(); }

private:
    struct Callbacks; // libFLAC's C callbacks, with the reader as client data

    struct DecoderDeleter
    {
        void operator() (FLAC__StreamDecoder* decoder) const;
    };

    void seekTo (juce::int64 sample);
    // Decodes one block into the sample buffer; false at the end of the stream or on failure.
    bool decodeNextBlock();
    // Decodes until a block covers the sample and places the buffer position on it.
    void refill (juce::int64 sample);

    std::unique_ptr<FLAC__StreamDecoder, DecoderDeleter> decoder;
    bool analysed = false; // the metadata callback then only refreshes the format fields
    bool sawStreamInfo = false;
    juce::int64 declaredLength = 0; // STREAMINFO's total samples
    juce::int32 nextSample = -1;    // the sample after the last read
    juce::int32 bufferPosition = 0; // in values; negative = that many leading zero values
    juce::int32 bufferCount = 0;
    juce::int64 blockFirstSample = 0; // first sample of the block in the buffer
    bool blockHasPosition = false;
    std::vector<juce::int32> sampleBuffer; // channels values per frame: first and last channel

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FileReadFlac)
};

class FileReadFlacFactory : public IIndividualReaderFactory
{
public:
    std::unique_ptr<AbstractReader> createReader (const juce::String& path) override;
};
} // namespace quelbix
