#include "support/FullDataFolder.h"

#include "vantor/dataset/BankCollectionJsonKeys.h"
#include "vantor/dataset/BankJsonKeys.h"
#include "vantor/dataset/ModelJsonKeys.h"
#include "vantor/dataset/SampleFiles.h"
#include "vantor/dataset/SlotJsonKeys.h"

#include <juce_audio_formats/juce_audio_formats.h>

namespace glorvak::test
{
namespace
{
constexpr double sampleRate = 96000.0;

// A tone whose pitch depends on the seed, with a little decay, so that waveforms differ.
bool writeWav (const juce::File& file, int frames, int seed)
{
    file.getParentDirectory().createDirectory();
    file.deleteFile();
    juce::AudioBuffer<float> buffer (2, frames);
    const auto step = juce::MathConstants<double>::twoPi * (55.0 * (1 + seed % 24)) / sampleRate;

    for (int i = 0; i < frames; ++i)
    {
        const auto level = 0.8 * std::exp (-3.0 * i / frames);
        buffer.setSample (0, i, (float)(level * std::sin (step * i)));
        buffer.setSample (1, i, (float)(level * std::sin (step * i * 1.01)));
    }

    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        format.createWriterFor (new juce::FileOutputStream (file), sampleRate, 2, 24, {}, 0));
    return writer != nullptr && writer->writeFromAudioSampleBuffer (buffer, 0, frames);
}

juce::var makeBanks (const juce::File& folder, int bankCount, const juce::String& prefix, int frames,
                     int trimmedFrames, int seed, bool& written)
{
    using namespace vantor::dataset;
    juce::Array<juce::var> banks;

    for (int b = 0; b < bankCount; ++b)
    {
        juce::Array<juce::var> slots;

        for (int s = 0; s < 4; ++s)
        {
            const auto number = b * 4 + s;
            const auto name = prefix + juce::String (number).paddedLeft ('0', 3) + ".wav";
            written = writeWav (getBareChildFile (getSamplesFolder (folder), name), frames, number + seed) &&
                      written;

            auto* slot = new juce::DynamicObject();
            slot->setProperty (slotkeys::fileName, name);
            slot->setProperty (slotkeys::displayFileName, name);
            slot->setProperty (slotkeys::originalFileName, name);
            slot->setProperty (slotkeys::sampleNum, frames);
            slot->setProperty (slotkeys::startSample, 0);
            slot->setProperty (slotkeys::endSample, frames - trimmedFrames);
            slot->setProperty (slotkeys::bpm, 12000); // 120.00 BPM, stored in hundredths
            slot->setProperty (slotkeys::gain, 0.0);
            slot->setProperty (slotkeys::isLoop, s == 3 ? 1 : 0);
            slot->setProperty (slotkeys::isDubkickMode, 0);
            slot->setProperty (slotkeys::slotName, prefix + " " + juce::String (number + 1));
            slots.add (juce::var (slot));
        }

        auto* bank = new juce::DynamicObject();
        bank->setProperty (bankkeys::bankNumber, b);
        bank->setProperty (bankkeys::bankName, prefix + " BANK " + juce::String (b + 1));
        bank->setProperty (bankkeys::slot, slots);
        banks.add (juce::var (bank));
    }

    return banks;
}

bool writeJson (const juce::File& file, juce::DynamicObject* root)
{
    file.getParentDirectory().createDirectory();
    return file.replaceWithText (juce::JSON::toString (juce::var (root)));
}
} // namespace

bool FullDataFolder::write (const juce::File& dataFolder) const
{
    if (!isValid())
        return false;

    using namespace vantor::dataset;
    const auto frames = (int)(secondsPerSlot * sampleRate);
    bool written = true;
    dataFolder.getChildFile (modelkeys::folderName).deleteRecursively();
    dataFolder.getChildFile (collectionkeys::folderName).deleteRecursively();

    const auto model = dataFolder.getChildFile (modelkeys::folderName);
    auto* modelRoot = new juce::DynamicObject();
    modelRoot->setProperty (modelkeys::favorite, 0);
    modelRoot->setProperty (modelkeys::bank,
                            makeBanks (model, 15, "Pad", frames, trimmedFrames, seed, written));
    written = writeJson (model.getChildFile (modelkeys::fileName), modelRoot) && written;

    const auto collection = dataFolder.getChildFile (collectionkeys::folderName);
    auto* collectionRoot = new juce::DynamicObject();
    collectionRoot->setProperty (
        collectionkeys::bankCollection,
        makeBanks (collection, storedBanks, "Stored", frames, trimmedFrames, seed, written));
    return writeJson (collection.getChildFile (collectionkeys::fileName), collectionRoot) && written;
}
} // namespace glorvak::test
