#pragma once

#include "common/audiofile/AudioFileToolsOutputStreamOpener.h"
#include "common/audiofile/PositionableAudioSourceImpl.h"
#include "common/reader/AbstractReader.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <functional>
#include <memory>

namespace common
{
// The few functions through which the rest of the program touches audio files: open a user's
// file, convert it into the program's 24-bit stereo WAV, copy a range of frames out of such a WAV,
// and make the readers and sources the preview player plays.
//
// Failures come back as a short English text (empty on success) or a null result; nothing here
// throws, shows a message or logs. Every function may run on any thread, one call per object.
namespace AudioFileTools
{
// What openAudioFile learnt about a file, straight from the reader that opened it.
struct AudioFileInfo
{
    double sampleRate = 0.0;
    juce::int32 numChannels = 0;
    juce::int32 bitsPerSample = 0;
    juce::int32 bitRate = 0; // bits per second; 0 for a variable-rate file
    juce::int64 lengthInSamples = 0;
    juce::String readerTypeName; // the class of the reader that opened the file
};

// What convertToWav wrote.
struct WavFileInfo
{
    double sampleRate = 0.0;
    juce::int32 numChannels = 0;
    juce::int32 bitsPerSample = 0;
    juce::int64 lengthInSamples = 0;
};

// An opened audio file on its way to convertToWav. Deleting it closes the file.
class OpenedAudioFile
{
public:
    // Adopts a reader that is already open; sourceFile is the file it reads (may be left empty
    // for a reader that reads no file).
    OpenedAudioFile (std::unique_ptr<quelbix::AbstractReader> openedReader, const juce::File& sourceFile);
    ~OpenedAudioFile();

    quelbix::AbstractReader& getReader() const noexcept;
    const juce::File& getSourceFile() const noexcept;

private:
    struct Impl;
    std::unique_ptr<Impl> impl;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (OpenedAudioFile)
};

// Null when no reader opens the file (the record is then left untouched); otherwise the record,
// when given, is filled from the reader.
std::unique_ptr<OpenedAudioFile> openAudioFile (const juce::File& file, AudioFileInfo* info);

// Writes the whole audio of the opened file into destination as a 24-bit stereo WAV at
// targetRate, resampling unless the rates agree. Returns "" on success (and fills the record when
// given), otherwise "invalid parameters", "invalid samplerate", "length is zero",
// "creating writer" or "write error". The file is written beside the destination and moved over it
// only once every byte is on disk, so a failure leaves no new file and an existing one untouched.
juce::String convertToWav (OpenedAudioFile* opened, const juce::File& destination, double targetRate,
                           WavFileInfo* info, const OutputStreamOpener& openOutput = {});

// Copies the frames [start, end) of a RIFF/WAVE file into a new WAV holding the source's format
// chunk unchanged and one data chunk; every other chunk is left out. Returns "" on success,
// otherwise "parameter", "read", "format", "unsupported" or "write"; on failure no new file is left
// behind and an existing destination keeps its contents.
juce::String copyWavRange (const juce::File& source, juce::Range<juce::int64> frames,
                           const juce::File& destination, const OutputStreamOpener& openOutput = {});

// A WAV writer for 2 channels and 24 bits at the rate, writing the file from its start; null when
// the file cannot be opened.
std::unique_ptr<juce::AudioFormatWriter> createWavWriter (const juce::File& file, double sampleRate);

// The first reader of the program's formats that opens the file, or null.
std::unique_ptr<quelbix::AbstractReader> createReader (const juce::File& file);

// A source over the reader that createReader gives for the file, or null.
std::unique_ptr<PositionableAudioSourceImpl> createPositionableAudioSource (const juce::File& file);
} // namespace AudioFileTools
} // namespace common
