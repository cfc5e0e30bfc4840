/*
  ==============================================================================

   This file is part of the JUCE library.
   Copyright (c) 2022 - Raw Material Software Limited

   JUCE is an open source library subject to commercial or open-source
   licensing.

   By using JUCE, you agree to the terms of both the JUCE 7 End-User License
   Agreement and JUCE Privacy Policy.

   End User License Agreement: www.juce.com/juce-7-licence
   Privacy Policy: www.juce.com/juce-privacy-policy

   Or: You may also use this code under the terms of the GPL v3 (see
   www.gnu.org/licenses).

   JUCE IS PROVIDED "AS IS" WITHOUT ANY WARRANTY, AND ALL WARRANTIES, WHETHER
   EXPRESSED OR IMPLIED, INCLUDING MERCHANTABILITY AND FITNESS FOR PURPOSE, ARE
   DISCLAIMED.

  ==============================================================================
*/

// A copy of JUCE 7.0.5's juce_AudioThumbnail (GPLv3, as the JUCE this program links), kept as
// JUCE wrote it apart from the namespace and one addition: drawMergedChannels, which draws the
// level of all channels as one envelope standing on the bottom edge of the area. It has to sit
// inside the cached window beside drawChannel, which JUCE keeps private.
//
// The level-data reading and storage of the thumbnail, included only by AudioThumbnail.cpp.

#pragma once

#include "vantor/slot_detail/AudioThumbnail.h"

namespace vantor::slot_detail
{
using namespace juce;

struct AudioThumbnail::MinMaxValue
{
    MinMaxValue() noexcept
    {
        values[0] = 0;
        values[1] = 0;
    }

    inline void set (const int8 newMin, const int8 newMax) noexcept
    {
        values[0] = newMin;
        values[1] = newMax;
    }

    inline int8 getMinValue() const noexcept { return values[0]; }
    inline int8 getMaxValue() const noexcept { return values[1]; }

    inline void setFloat (Range<float> newRange) noexcept
    {
        // Workaround for an ndk armeabi compiler bug which crashes on signed saturation
#if JUCE_ANDROID
        Range<float> limitedRange (jlimit (-1.0f, 1.0f, newRange.getStart()),
                                   jlimit (-1.0f, 1.0f, newRange.getEnd()));
        values[0] = (int8)(limitedRange.getStart() * 127.0f);
        values[1] = (int8)(limitedRange.getEnd() * 127.0f);
#else
        values[0] = (int8)jlimit (-128, 127, roundToInt (newRange.getStart() * 127.0f));
        values[1] = (int8)jlimit (-128, 127, roundToInt (newRange.getEnd() * 127.0f));
#endif

        if (values[0] == values[1])
        {
            if (values[1] == 127)
                values[0]--;
            else
                values[1]++;
        }
    }

    inline bool isNonZero() const noexcept
    {
        return values[1] > values[0];
    }

    inline int getPeak() const noexcept
    {
        return jmax (std::abs ((int)values[0]), std::abs ((int)values[1]));
    }

    inline void read (InputStream& input)
    {
        input.read (values, 2);
    }
    inline void write (OutputStream& output)
    {
        output.write (values, 2);
    }

private:
    int8 values[2];
};

//==============================================================================
template <typename T>
class AudioBufferReader : public AudioFormatReader
{
public:
    AudioBufferReader (const AudioBuffer<T>* bufferIn, double rate)
        : AudioFormatReader (nullptr, "AudioBuffer")
        , buffer (bufferIn)
    {
        sampleRate = rate;
        bitsPerSample = 32;
        lengthInSamples = buffer->getNumSamples();
        numChannels = (unsigned int)buffer->getNumChannels();
        usesFloatingPointData = std::is_floating_point_v<T>;
    }

    bool readSamples (int* const* destChannels, int numDestChannels, int startOffsetInDestBuffer,
                      int64 startSampleInFile, int numSamples) override
    {
        clearSamplesBeyondAvailableLength (destChannels, numDestChannels, startOffsetInDestBuffer,
                                           startSampleInFile, numSamples, lengthInSamples);

        const auto numAvailableSamples = (int)((int64)buffer->getNumSamples() - startSampleInFile);
        const auto numSamplesToCopy = std::clamp (numAvailableSamples, 0, numSamples);

        if (numSamplesToCopy == 0)
            return true;

        for (int i = 0; i < numDestChannels; ++i)
        {
            if (void* targetChannel = destChannels[i])
            {
                const auto dest = DestType (targetChannel) + startOffsetInDestBuffer;

                if (i < buffer->getNumChannels())
                    dest.convertSamples (SourceType (buffer->getReadPointer (i) + startSampleInFile),
                                         numSamplesToCopy);
                else
                    dest.clearSamples (numSamples);
            }
        }

        return true;
    }

private:
    using SourceNumericalType =
        std::conditional_t<std::is_same_v<T, int>, AudioData::Int32,
                           std::conditional_t<std::is_same_v<T, float>, AudioData::Float32, void>>;

    using DestinationNumericalType =
        std::conditional_t<std::is_floating_point_v<T>, AudioData::Float32, AudioData::Int32>;

    using DestType = AudioData::Pointer<DestinationNumericalType, AudioData::LittleEndian,
                                        AudioData::NonInterleaved, AudioData::NonConst>;
    using SourceType = AudioData::Pointer<SourceNumericalType, AudioData::LittleEndian,
                                          AudioData::NonInterleaved, AudioData::Const>;

    const AudioBuffer<T>* buffer;
};

//==============================================================================
class AudioThumbnail::LevelDataSource : public TimeSliceClient
{
public:
    LevelDataSource (AudioThumbnail& thumb, AudioFormatReader* newReader, int64 hash)
        : hashCode (hash)
        , owner (thumb)
        , reader (newReader)
    {
    }

    LevelDataSource (AudioThumbnail& thumb, InputSource* src)
        : hashCode (src->hashCode())
        , owner (thumb)
        , source (src)
    {
    }

    ~LevelDataSource() override { owner.cache.getTimeSliceThread().removeTimeSliceClient (this); }

    enum
    {
        timeBeforeDeletingReader = 3000
    };

    void initialise (int64 samplesFinished)
    {
        const ScopedLock sl (readerLock);

        numSamplesFinished = samplesFinished;

        createReader();

        if (reader != nullptr)
        {
            lengthInSamples = reader->lengthInSamples;
            numChannels = reader->numChannels;
            sampleRate = reader->sampleRate;

            if (lengthInSamples <= 0 || isFullyLoaded())
                reader.reset();
            else
                owner.cache.getTimeSliceThread().addTimeSliceClient (this);
        }
    }

    void getLevels (int64 startSample, int numSamples, Array<Range<float>>& levels)
    {
        const ScopedLock sl (readerLock);

        if (reader == nullptr)
        {
            createReader();

            if (reader != nullptr)
            {
                lastReaderUseTime = Time::getMillisecondCounter();
                owner.cache.getTimeSliceThread().addTimeSliceClient (this);
            }
        }

        if (reader != nullptr)
        {
            if (levels.size() < (int)reader->numChannels)
                levels.insertMultiple (0, {}, (int)reader->numChannels - levels.size());

            reader->readMaxLevels (startSample, numSamples, levels.getRawDataPointer(),
                                   (int)reader->numChannels);

            lastReaderUseTime = Time::getMillisecondCounter();
        }
    }

    void releaseResources()
    {
        const ScopedLock sl (readerLock);
        reader.reset();
    }

    int useTimeSlice() override
    {
        if (isFullyLoaded())
        {
            if (reader != nullptr && source != nullptr)
            {
                if (Time::getMillisecondCounter() > lastReaderUseTime + timeBeforeDeletingReader)
                    releaseResources();
                else
                    return 200;
            }

            return -1;
        }

        bool justFinished = false;

        {
            const ScopedLock sl (readerLock);
            createReader();

            if (reader != nullptr)
            {
                if (!readNextBlock())
                    return 0;

                justFinished = true;
            }
        }

        if (justFinished)
            owner.cache.storeThumb (owner, hashCode);

        return 200;
    }

    bool isFullyLoaded() const noexcept { return numSamplesFinished >= lengthInSamples; }

    inline int sampleToThumbSample (const int64 originalSample) const noexcept
    {
        return (int)(originalSample / owner.samplesPerThumbSample);
    }

    int64 lengthInSamples = 0, numSamplesFinished = 0;
    double sampleRate = 0;
    unsigned int numChannels = 0;
    int64 hashCode = 0;

private:
    AudioThumbnail& owner;
    std::unique_ptr<InputSource> source;
    std::unique_ptr<AudioFormatReader> reader;
    CriticalSection readerLock;
    std::atomic<uint32> lastReaderUseTime{0};

    void createReader()
    {
        if (reader == nullptr && source != nullptr)
            if (auto* audioFileStream = source->createInputStream())
                reader.reset (owner.formatManagerToUse.createReaderFor (
                    std::unique_ptr<InputStream> (audioFileStream)));
    }

    bool readNextBlock()
    {
        jassert (reader != nullptr);

        if (!isFullyLoaded())
        {
            auto numToDo =
                (int)jmin (256 * (int64)owner.samplesPerThumbSample, lengthInSamples - numSamplesFinished);

            if (numToDo > 0)
            {
                auto startSample = numSamplesFinished;

                auto firstThumbIndex = sampleToThumbSample (startSample);
                auto lastThumbIndex = sampleToThumbSample (startSample + numToDo);
                auto numThumbSamps = lastThumbIndex - firstThumbIndex;

                HeapBlock<MinMaxValue> levelData ((unsigned int)numThumbSamps * numChannels);
                HeapBlock<MinMaxValue*> levels (numChannels);

                for (int i = 0; i < (int)numChannels; ++i)
                    levels[i] = levelData + i * numThumbSamps;

                HeapBlock<Range<float>> levelsRead (numChannels);

                for (int i = 0; i < numThumbSamps; ++i)
                {
                    reader->readMaxLevels ((firstThumbIndex + i) * owner.samplesPerThumbSample,
                                           owner.samplesPerThumbSample, levelsRead, (int)numChannels);

                    for (int j = 0; j < (int)numChannels; ++j)
                        levels[j][i].setFloat (levelsRead[j]);
                }

                {
                    const ScopedUnlock su (readerLock);
                    owner.setLevels (levels, firstThumbIndex, (int)numChannels, numThumbSamps);
                }

                numSamplesFinished += numToDo;
                lastReaderUseTime = Time::getMillisecondCounter();
            }
        }

        return isFullyLoaded();
    }
};

//==============================================================================
class AudioThumbnail::ThumbData
{
public:
    ThumbData (int numThumbSamples) { ensureSize (numThumbSamples); }

    inline MinMaxValue* getData (int thumbSampleIndex) noexcept
    {
        jassert (thumbSampleIndex < data.size());
        return data.getRawDataPointer() + thumbSampleIndex;
    }

    int getSize() const noexcept { return data.size(); }

    void getMinMax (int startSample, int endSample, MinMaxValue& result) const noexcept
    {
        if (startSample >= 0)
        {
            endSample = jmin (endSample, data.size() - 1);

            int8 mx = -128;
            int8 mn = 127;

            while (startSample <= endSample)
            {
                auto& v = data.getReference (startSample);

                if (v.getMinValue() < mn)
                    mn = v.getMinValue();
                if (v.getMaxValue() > mx)
                    mx = v.getMaxValue();

                ++startSample;
            }

            if (mn <= mx)
            {
                result.set (mn, mx);
                return;
            }
        }

        result.set (1, 0);
    }

    void write (const MinMaxValue* values, int startIndex, int numValues)
    {
        resetPeak();

        if (startIndex + numValues > data.size())
            ensureSize (startIndex + numValues);

        auto* dest = getData (startIndex);

        for (int i = 0; i < numValues; ++i)
            dest[i] = values[i];
    }

    void resetPeak() noexcept { peakLevel = -1; }

    int getPeak() noexcept
    {
        if (peakLevel < 0)
        {
            for (auto& s : data)
            {
                auto peak = s.getPeak();

                if (peak > peakLevel)
                    peakLevel = peak;
            }
        }

        return peakLevel;
    }

private:
    Array<MinMaxValue> data;
    int peakLevel = -1;

    void ensureSize (int thumbSamples)
    {
        auto extraNeeded = thumbSamples - data.size();

        if (extraNeeded > 0)
            data.insertMultiple (-1, MinMaxValue(), extraNeeded);
    }
};

} // namespace vantor::slot_detail
