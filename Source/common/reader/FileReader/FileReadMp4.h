#pragma once

#include "common/reader/FileReader/AbstractFileReadPlatform.h"
#include "common/reader/IIndividualReaderFactory.h"

namespace quelbix
{
// Reader of AAC in MP4 and M4A files. It walks the file's atoms itself, reads the decoder
// configuration and the sample tables of the first track that holds an AAC configuration, decides
// rate, channels and length, and decodes that same track through the platform decoder.
// Files without an AAC configuration (ALAC, video only) are refused and left to later readers.
//
// Threads: as its base; lock serialises the positioned reads of the analysis with deleteDecoder.
class FileReadMp4 : public AbstractFileReadPlatform
{
public:
    // What an AudioSpecificConfig (ISO/IEC 14496-3) says; 0 where it says nothing.
    struct Mp4AudioConfig
    {
        juce::int32 audioObjectType = 0;
        juce::int32 samplingFrequency = 0;
        juce::int32 channelConfiguration = 0;
        bool sbrPresent = false;
        bool psPresent = false;
        juce::int32 extensionObjectType = 0;
        juce::int32 extensionSamplingFrequency = 0;
        juce::int32 extensionChannelConfiguration = 0;
    };

    // One recorded atom: its type and where its payload lies (clamped to the file).
    struct Atom
    {
        juce::uint32 type = 0;
        juce::int64 payloadSize = 0;
        juce::int64 payloadOffset = 0;
    };

    // The most samples indexed; longer tables end there.
    static constexpr size_t maxFrames = 1 << 23;

    FileReadMp4();
    ~FileReadMp4() override;

    bool analyze() override;
    // The rate written in the file, before SBR doubling.
    int getFileSampleRate() override { return fileSampleRate; }
    void deleteDecoder() override;

    static void parseAudioSpecificConfig (const juce::uint8* bytes, size_t byteCount, Mp4AudioConfig& config);

    const juce::MemoryBlock& getDecoderConfig() const noexcept { return decoderConfig; }
    const std::vector<Atom>& getAtoms() const noexcept { return atoms; }

protected:
    int getAudioTrackId() override { return audioTrackId; }

private:
    void walkAtoms (juce::int64 start, juce::int64 size, juce::uint32 parentType);
    void readDecoderConfig();
    void buildSampleTable (juce::int32* lengthOut, bool doubleDurations);
    const Atom* findAtom (juce::uint32 type) const;

    // Big-endian reads of the analysed stream; a failed read yields 0.
    bool readAt (juce::int64 position, void* dest, int numBytes);
    juce::uint32 readUInt32At (juce::int64 position);
    juce::uint16 readUInt16At (juce::int64 position);
    juce::uint8 readByteAt (juce::int64 position);
    // Reads at the cursor, which moves only on success (the descriptor length: by each byte tried).
    juce::uint8 readByte (bool& ok);
    juce::uint32 readUInt32();
    juce::uint32 readDescriptorLength();
    // The bytes of a table: at most what the payload holds from its start.
    juce::MemoryBlock readTable (const Atom& atom, juce::int64 from, juce::int64 count, int entryBytes);

    juce::CriticalSection lock;
    std::vector<Atom> atoms;
    juce::MemoryBlock decoderConfig;
    juce::int32 fileSampleRate = 0;
    juce::int64 streamLength = 0;
    juce::int64 cursor = 0;
    int audioTrackId = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FileReadMp4)
};

class FileReadMp4Factory : public IIndividualReaderFactory
{
public:
    std::unique_ptr<AbstractReader> createReader (const juce::String& path) override;
};
} // namespace quelbix
