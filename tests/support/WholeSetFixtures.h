#pragma once

// Data folders, archives and unit folders for the tests of backup, restore, export and import.
// Header-only: the helpers use the data set, which the shared support library does not link.

#include "support/JsonKeys.h"
#include "support/PcmFileBuilder.h"
#include "support/ScratchFolder.h"
#include "vantor/dataset/BankCollectionJsonKeys.h"
#include "vantor/dataset/BankJsonKeys.h"
#include "vantor/dataset/JobProgress.h"
#include "vantor/dataset/ModelJsonKeys.h"
#include "vantor/dataset/SampleFiles.h"
#include "vantor/dataset/SlotJsonKeys.h"

#include <gtest/gtest.h>
#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_events/juce_events.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <thread>
#include <vector>

namespace glorvak::test
{
// One SLOT with a sample, as a test wants it stored.
struct SlotFixture
{
    int bank = 0;
    int slot = 0;
    juce::String wav; // name in the samples folder
    int frames = 1000;
    juce::int64 start = 0;
    juce::int64 end = -1; // -1: the whole file
    juce::String name = "slot";
    int bpm = 0;
    double gain = 0.0;
    bool loop = false;
    bool dubkick = false;
};

// A 24-bit stereo WAV at 96000 Hz whose content depends on the seed, so that a swapped or
// shortened file shows up.
inline juce::File writeSeededWav (const juce::File& file, int frames, int seed)
{
    file.getParentDirectory().createDirectory();
    auto samples = makeTestPattern (frames, 2, 24);

    if (!samples.empty())
        std::rotate (samples.begin(), samples.begin() + (seed * 7919) % (int)samples.size(), samples.end());

    const auto bytes = PcmFileBuilder::wav (PcmFormat{96000, 2, 24}, samples);
    EXPECT_TRUE (file.replaceWithData (bytes.getData(), bytes.getSize()));
    return file;
}

inline juce::var makeSlotObject (const juce::File& folder, const SlotFixture& fixture, int seed)
{
    writeSeededWav (
        vantor::dataset::getBareChildFile (vantor::dataset::getSamplesFolder (folder), fixture.wav),
        fixture.frames, seed);
    using namespace vantor::dataset;
    auto* object = new juce::DynamicObject();
    object->setProperty (slotkeys::fileName, fixture.wav);
    object->setProperty (slotkeys::startSample, fixture.start);
    object->setProperty (slotkeys::endSample, fixture.end < 0 ? (juce::int64)fixture.frames : fixture.end);
    object->setProperty (slotkeys::bpm, fixture.bpm);
    object->setProperty (slotkeys::gain, fixture.gain);
    object->setProperty (slotkeys::isLoop, fixture.loop ? 1 : 0);
    object->setProperty (slotkeys::isDubkickMode, fixture.dubkick ? 1 : 0);
    object->setProperty (slotkeys::displayFileName, fixture.wav);
    object->setProperty (slotkeys::originalFileName, fixture.wav);
    object->setProperty (slotkeys::slotName, fixture.name);
    return juce::var (object);
}

// BANKs of four slot objects (empty ones where no fixture names them).
inline juce::Array<juce::var> makeBankObjects (const juce::File& folder, int bankCount,
                                               const std::vector<SlotFixture>& slots, int firstSeed)
{
    using namespace vantor::dataset;
    juce::Array<juce::var> banks;

    for (int b = 0; b < bankCount; ++b)
    {
        juce::Array<juce::var> slotObjects;

        for (int s = 0; s < 4; ++s)
        {
            juce::var object (new juce::DynamicObject());

            for (const auto& fixture : slots)
                if (fixture.bank == b && fixture.slot == s)
                    object = makeSlotObject (folder, fixture, firstSeed + b * 4 + s);

            slotObjects.add (object);
        }

        auto* bank = new juce::DynamicObject();
        bank->setProperty (bankkeys::bankNumber, b);
        bank->setProperty (bankkeys::bankName, "BANK " + juce::String (b + 1));
        bank->setProperty (bankkeys::slot, slotObjects);
        banks.add (juce::var (bank));
    }

    return banks;
}

inline void writeJson (const juce::File& file, const juce::var& json)
{
    file.getParentDirectory().createDirectory();
    EXPECT_TRUE (file.replaceWithText (juce::JSON::toString (json)));
}

// "model/model.json" with its samples below the data folder.
inline juce::File writeModelFolder (const juce::File& dataFolder, const std::vector<SlotFixture>& slots,
                                    int favorite = 0, int seed = 1)
{
    using namespace vantor::dataset;
    const auto folder = dataFolder.getChildFile (modelkeys::folderName);
    auto* root = new juce::DynamicObject();
    root->setProperty (modelkeys::favorite, favorite);
    root->setProperty (modelkeys::bank, makeBankObjects (folder, 15, slots, seed));
    const auto file = folder.getChildFile (modelkeys::fileName);
    writeJson (file, juce::var (root));
    return file;
}

// "bankcollection/bankcollection.json" with its samples below the data folder.
inline juce::File writeCollectionFolder (const juce::File& dataFolder, int bankCount,
                                         const std::vector<SlotFixture>& slots, int seed = 500)
{
    using namespace vantor::dataset;
    const auto folder = dataFolder.getChildFile (collectionkeys::folderName);
    auto* root = new juce::DynamicObject();
    root->setProperty (collectionkeys::bankCollection, makeBankObjects (folder, bankCount, slots, seed));
    const auto file = folder.getChildFile (collectionkeys::fileName);
    writeJson (file, juce::var (root));
    return file;
}

// Every file below a folder with its bytes, by relative path: equal snapshots mean untouched data.
using FolderSnapshot = std::map<juce::String, juce::MemoryBlock>;

inline FolderSnapshot snapshotOf (const juce::File& folder)
{
    FolderSnapshot snapshot;

    for (const auto& file : folder.findChildFiles (juce::File::findFilesAndDirectories, true, "*"))
    {
        juce::MemoryBlock bytes;

        if (file.existsAsFile())
            file.loadFileAsData (bytes);
        else
            bytes.append ("<folder>", 8);

        snapshot[file.getRelativePathFrom (folder)] = bytes;
    }

    return snapshot;
}

// The snapshot without its folders: a rolled-back swap may leave an empty folder it made.
inline FolderSnapshot filesOnly (FolderSnapshot snapshot)
{
    for (auto it = snapshot.begin(); it != snapshot.end();)
        it = it->second == juce::MemoryBlock ("<folder>", 8) ? snapshot.erase (it) : std::next (it);

    return snapshot;
}

inline juce::StringArray pathsOf (const FolderSnapshot& snapshot)
{
    juce::StringArray paths;

    for (const auto& entry : snapshot)
        paths.add (entry.first);

    return paths;
}

inline juce::StringArray wavNames (const juce::File& folder)
{
    juce::StringArray names;

    for (const auto& file : folder.findChildFiles (juce::File::findFiles, false, "*.wav"))
        names.add (file.getFileName());

    names.sort (false);
    return names;
}

// The frames of a WAV as floats, [channel][frame].
inline juce::AudioBuffer<float> readFrames (const juce::File& wav, juce::int64 start = 0,
                                            juce::int64 length = -1)
{
    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatReader> reader (
        format.createReaderFor (new juce::FileInputStream (wav), true));

    if (reader == nullptr)
        return {};

    if (length < 0)
        length = (juce::int64)reader->lengthInSamples - start;

    juce::AudioBuffer<float> buffer ((int)reader->numChannels, (int)length);
    reader->read (&buffer, 0, (int)length, start, true, true);
    return buffer;
}

inline bool sameFrames (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    if (a.getNumChannels() != b.getNumChannels() || a.getNumSamples() != b.getNumSamples())
        return false;

    for (int c = 0; c < a.getNumChannels(); ++c)
        if (!std::equal (a.getReadPointer (c), a.getReadPointer (c) + a.getNumSamples(),
                         b.getReadPointer (c)))
            return false;

    return true;
}

// A progress window stand-in: counts the polls and answers "cancel" from poll number cancelAt on
// (0: never).
class CountingProgress : public vantor::dataset::JobProgress
{
public:
    explicit CountingProgress (int cancelAtPoll = 0)
        : cancelAt (cancelAtPoll)
    {
    }

    bool threadShouldExit() const override
    {
        const int poll = ++polls;
        return cancelAt > 0 && poll >= cancelAt;
    }

    void setProgress (double value) override
    {
        if (value < lastValue.load())
            wentBackwards = true;

        lastValue = value;
    }

    int pollCount() const { return polls.load(); }
    double last() const { return lastValue.load(); }

    std::atomic<bool> wentBackwards{false};

private:
    const int cancelAt;
    mutable std::atomic<int> polls{0};
    std::atomic<double> lastValue{0.0};
};

// Runs the job on a thread of its own while this thread keeps the message loop going, as the
// progress window does; returns the job's result.
template <typename Job>
auto runOnWorker (Job&& job, int timeoutMs = 60000)
{
    using Result = decltype (job());
    Result result{};
    std::atomic<bool> finished{false};
    std::thread worker (
        [&]
        {
            result = job();
            finished = true;
        });

    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32)timeoutMs;

    while (!finished && juce::Time::getMillisecondCounter() < deadline)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);

    worker.join();
    return result;
}
} // namespace glorvak::test
